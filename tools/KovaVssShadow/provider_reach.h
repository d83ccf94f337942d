// How KovaVssShadow reaches the provider: hosted in its own process (the
// default), or, with "--com" before the command, through COM across
// processes as VSS does: an object of the provider program's class
// (CLSID_KovaVssProvider) made by its local server, which COM starts by
// activation when it is not running. Only Windows has COM; elsewhere the
// COM factory fails with platform::kComServerNotAvailable.
#pragma once

#include <string>
#include <vector>

#include "tools/KovaVssShadow/provider_session.h"

inline constexpr char kThroughComOption[] = "--com";

// Removes a leading "--com" from |args|; true when there was one.
bool TakeThroughComOption(std::vector<std::string>* args);

// Makes provider objects with platform::CreateLocalServerObject on a
// thread whose apartment the caller has initialised.
ProviderFactory LocalServerProviderFactory();
