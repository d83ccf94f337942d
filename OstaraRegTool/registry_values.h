// The tool's access to the configuration store (library/registry_layout.h):
// the provider key, the array keys below it, and string values read and
// written the way every operation of the tool does.
#pragma once

#include <cpprest/details/basic_types.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "platform/registry.h"

using RegistryKeyPtr = std::unique_ptr<platform::RegistryKey>;

// String values are read into a buffer of this many bytes (511 characters
// and the terminator); longer ones cannot be read.
inline constexpr uint32_t kValueBufferBytes = 1024;
inline constexpr size_t kMaxValueTextLength = kValueBufferBytes / 2 - 1;
// Subkey names are enumerated into a buffer of this many characters.
inline constexpr size_t kMaxSubkeyNameLength = 255;

// The length of |text| in UTF-16 code units: characters as the registry
// and the Windows console count them.
size_t Utf16Length(const utility::string_t& text);

// Whether |name| can be an array key's name: not empty and without a
// backslash, which the registry would take as a path ("a\b" is a key below
// "a"; "\" is the provider key itself).
bool IsUsableArrayName(const utility::string_t& name);

// The provider key path followed directly by |name|.
std::string ArrayKeyPath(const utility::string_t& name);

platform::RegistryStatus OpenProviderKey(RegistryKeyPtr* key);
// |name| must be usable (IsUsableArrayName).
platform::RegistryStatus OpenArrayKey(const utility::string_t& name, RegistryKeyPtr* key);

// Writes |text| as REG_SZ (length plus terminator); a null text writes
// nothing. 0, or RC_SET_VALUE_FAILED.
uint32_t SetValue(platform::RegistryKey& key, const std::string& name,
                  const utility::string_t* text);

// Reads a string value through the 1024-byte buffer, up to its first zero
// character. 0, or RC_READ_VALUE_FAILED (missing, too long, unreadable).
uint32_t GetValue(platform::RegistryKey& key, const std::string& name, utility::string_t* text);

// Whether the value exists; false with |failed| set when the store cannot
// answer.
bool ValueExists(platform::RegistryKey& key, const std::string& name, bool* failed);
