// The configured arrays in the store: one key per array below the provider
// key, holding "URL" and the protected "APIKey". Every operation opens what
// it needs and closes it before returning; results are ResultCode values.
#pragma once

#include <cpprest/details/basic_types.h>

#include <cstdint>
#include <vector>

#include "OstaraRegTool/array_config.h"

// Appends the array names in enumeration order (names longer than 255
// characters are skipped). 0 when at least one was found; RC_KEY_NOT_FOUND
// when the key cannot be counted; RC_CONFIG_NOT_FOUND without arrays or
// provider key.
uint32_t GetKovaArrayNames(std::vector<utility::string_t>& names);

// RC_INVALID_ARGUMENT for an empty name or one with a backslash;
// RC_NAME_IN_USE when a configured array has the name, compared without
// regard to ASCII case as the registry compares key names (so a name that
// differs only in case never reaches another array's key); else 0.
uint32_t IsArrayNameInUse(const utility::string_t& name);

// Stores |config| as a new array key: the token protected for the machine
// as "APIKey" (REG_BINARY), "url" as "URL"; the key is accessible to
// administrators only. Nothing stays behind on failure: RC_SET_VALUE_FAILED
// when the token cannot be protected or a value cannot be written,
// RC_CREATE_KEY_FAILED when the key cannot be created.
uint32_t CreateArrayConfig(const ArrayConfig& config);

// GetArrayConfig's reading part: fills |config| from the array's key with
// the three status fields "no". A token that cannot be unprotected leaves
// apiToken empty and is not an error. 0, RC_KEY_NOT_FOUND (no such array)
// or RC_READ_VALUE_FAILED ("URL" or "APIKey" unreadable or missing).
uint32_t ReadArrayConfig(const utility::string_t& name, ArrayConfig& config);

// Replaces the array's "URL". 0, RC_CONFIG_NOT_FOUND (no such array),
// RC_INVALID_URL (longer than a string value the tool can read back) or
// RC_SET_VALUE_FAILED.
uint32_t UpdateKovaArrayURL(const utility::string_t& name, const utility::string_t& url);

// Deletes the array's key. 0, RC_CONFIG_NOT_FOUND or RC_REMOVE_FAILED.
uint32_t RemoveKovaArray(const utility::string_t& name);

// Whether |url| fits the value buffer every reader of the tool uses.
bool IsStorableUrl(const utility::string_t& url);
