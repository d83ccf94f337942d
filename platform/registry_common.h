// Helpers shared by the registry implementations (memory, hive) so that
// they cannot drift apart on names, paths and buffer rules.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/registry.h"

namespace platform {

// The form under which a key or value name is compared and ordered: ASCII
// letters upper-cased, as the registry compares names (so "_" sorts after
// letters, as in the registry's enumeration).
std::string FoldRegistryName(const std::string& name);

// Splits "A\B\C\" into its components, dropping empty ones.
std::vector<std::string> SplitRegistryPath(const std::string& path);

// Answers a QueryValue call for a stored value with RegQueryValueEx's rules
// (see RegistryKey::QueryValue).
RegistryStatus CopyQueriedValue(uint32_t stored_type, const uint8_t* stored,
                                size_t stored_size, uint32_t* type,
                                uint8_t* data, uint32_t* size);

}  // namespace platform
