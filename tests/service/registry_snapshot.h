// A registry subtree read whole, to compare the keys and values a program
// left behind with the ones it must leave, key by key.
#pragma once

#include <cstdint>
#include <map>
#include <ostream>
#include <string>

#include "platform/registry.h"

struct RegistryValueText {
  uint32_t type;     // platform::kRegSz ...
  std::string text;  // strings decoded, REG_DWORD in decimal, others in hex
  bool operator==(const RegistryValueText& other) const {
    return type == other.type && text == other.text;
  }
};
std::ostream& operator<<(std::ostream& out, const RegistryValueText& value);

RegistryValueText Sz(const std::string& text);
RegistryValueText ExpandSz(const std::string& text);
RegistryValueText Dword(uint32_t value);

// Value name ("" the default value) -> value.
using RegistryKeyValues = std::map<std::string, RegistryValueText>;
// Key path ("CLSID\{...}\LocalServer32", relative to the root) -> values,
// for |path| and every key below it; empty when |path| does not exist.
using RegistryTree = std::map<std::string, RegistryKeyValues>;

RegistryTree SnapshotRegistry(platform::Registry& registry, platform::RegistryRoot root,
                              const std::string& path);
