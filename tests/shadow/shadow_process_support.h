// What tests that run KovaVssShadow as a separate process need around it:
// the provider's configuration in the machine's registry (the hive in the
// test's state folder on POSIX, the Windows registry on Windows) for the
// test's array emulator, and LUN records of the emulator's volumes as this
// host's disks would describe them.
#pragma once

#include <cpprest/json.h>

#include <set>
#include <string>

#include "tests/support/scoped_state_dir.h"
#include "tests/support/test_array_sim.h"

// The provider acts for administrators only (effective user id 0).
bool CanDriveProvider();

// One array, "array1", at |url| with |token| protected by the machine's
// key (on POSIX the state folder's: the test's KOVA_STATE_DIR must be that
// folder), REST version 1.1, logging at LOG_TRACE; "RestTimeout" too when
// given. Whatever configuration an earlier test left goes first.
void ConfigureProviderHive(const ScopedStateDir& state, const std::string& url,
                           const std::string& token, const std::string& rest_timeout = "");
// Removes that configuration again, for the next suite on the machine's
// registry.
void RemoveProviderHive(const ScopedStateDir& state);

// The array knows this machine by its iSCSI name, when it has one, so that
// imported LUNs can be connected to it.
void AddThisHost(TestArraySim& sim);

// A JSON array of LUN records, one per volume of |state| (the emulator's
// State()), with |vendor| and the volume's name as identifier.
std::string VolumeLunsJson(const web::json::value& state, const std::string& vendor = "KOVA    ");

// The member |key| of a JSON object, and that member's text as UTF-8:
// the HTTP library's JSON is wide text on Windows.
const web::json::value& At(const web::json::value& object, const std::string& key);
std::string TextAt(const web::json::value& object, const std::string& key);

// The names of the emulator's objects in |list| ("volumes", "snapshots",
// "destroyed").
std::set<std::string> Names(const web::json::value& state, const char* list);

std::string ReadFile(const std::string& path);
std::string WriteFile(const std::string& path, const std::string& text);
