// The provider key's own settings as the tool reads and writes them: the
// defaults written at every start, the supported REST version, and the
// logging switch and level.
#pragma once

#include <cpprest/details/basic_types.h>

#include <cstdint>

#include "OstaraRegTool/registry_values.h"

// Creates the provider key when it is missing, then writes "Logging",
// "RestVersion", "RestTimeout" and "LogLevel" ("Enabled", "1.1", "10",
// "2") where they are absent; present values are never changed. 0;
// RC_REGISTRY_CONFIG_FAILED when the key cannot be opened or created, or
// the store cannot say whether a value exists; RC_SET_VALUE_FAILED when a
// write fails (the values after it are not visited).
uint32_t CreateDefaultConfig();

// "RestVersion"; empty when it cannot be read.
utility::string_t GetRESTVersionFromRegistry();

// "LogLevel" into |level|. 0, RC_CONFIG_NOT_FOUND (no provider key) or
// RC_VALUE_NOT_FOUND.
uint32_t GetLogLevel(utility::string_t& level);

// "Logging" of the open provider key |key|, which the call closes. 0 or
// RC_VALUE_NOT_FOUND.
uint32_t GetTracing(RegistryKeyPtr key, utility::string_t& logging);

// Writes "Logging" = |option|, and "LogLevel" = |level| only when |option|
// is exactly "Enabled". 0, RC_CONFIG_NOT_FOUND or RC_SET_VALUE_FAILED.
uint32_t SetTracing(const utility::string_t& option, const utility::string_t& level);
