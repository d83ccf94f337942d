// Naming rules of the emulated array and the form of its serial numbers.
#pragma once

#include <string>

namespace kova_sim {

// Volume, host and snapshot-suffix names: 1 to 63 letters, digits, '-' or
// '_', beginning with a letter or a digit. A snapshot is named
// volume + "." + suffix, so '.' never appears in the other names.
bool IsValidObjectName(const std::string& name);

// Array identities are UUIDs: 8-4-4-4-12 hexadecimal digits, either case.
bool IsValidArrayId(const std::string& id);

// Serials given in a seed: 1 to 64 hexadecimal digits, either case (the
// array itself only hands out 24 upper-case ones).
bool IsValidSeedSerial(const std::string& serial);

// The 16 characters that begin every serial this array hands out: the last
// 16 of its identity with the dashes removed, upper-cased.
std::string SerialPrefix(const std::string& array_id);

}  // namespace kova_sim
