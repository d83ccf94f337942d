// The array operations that combine the store with the arrays themselves:
// adding an array after checking it, reading arrays with their status, and
// renaming. Results are ResultCode values.
#pragma once

#include <cpprest/details/basic_types.h>

#include <cstdint>

#include "OstaraRegTool/array_config.h"

// Checks in this order, the first failure ending the operation: the name
// (IsArrayNameInUse: RC_INVALID_ARGUMENT, RC_NAME_IN_USE), the URL's length
// (RC_INVALID_URL), an echo reply (RC_ARRAY_UNREACHABLE), the array's REST
// versions (RC_REST_UNREACHABLE), a version shared with "RestVersion"
// (RC_INCOMPATIBLE_VERSION), an API token for the credentials
// (RC_INVALID_CREDENTIALS when the array refuses them, RC_SESSION_FAILED
// otherwise); then stores the array (CreateArrayConfig). Nothing is
// written unless every check passed.
uint32_t AddKovaArray(const utility::string_t& name, const utility::string_t& url,
                      const utility::string_t& user, const utility::string_t& password);

// Reads one array (ReadArrayConfig; RC_INVALID_ARGUMENT for an empty name).
// With |check_status|, an array that answers echo is asked for its REST
// versions ("online"), a shared version ("compatible") and whether its
// stored token opens a session ("authenticated"); failures there only
// leave the fields as far as they got.
uint32_t GetArrayConfig(const utility::string_t& name, ArrayConfig& config, bool check_status);

// Appends every array (an empty |filter|) or the one named exactly
// |filter|, each with its status, to |list|. RC_CONFIG_NOT_FOUND without
// provider key or arrays. Otherwise the result of the last array examined
// (0 when it was read, and 0 when the filter matched nothing); an array
// that cannot be read is left out, a name that cannot be enumerated gives
// RC_READ_VALUE_FAILED.
uint32_t GetArrayConfigInfo(ArrayConfigList& list, const utility::string_t& filter);

// Moves the array |old_name| to |new_name| with its URL and a freshly
// protected token. The new key is complete before the old one goes, so a
// failure never loses the array: RC_INVALID_ARGUMENT / RC_NAME_IN_USE for
// the new name, GetArrayConfig's failure for the old one,
// RC_READ_VALUE_FAILED when its token cannot be unprotected, then
// CreateArrayConfig's or RemoveKovaArray's failure (with the new key
// removed again).
uint32_t UpdateKovaArrayName(const utility::string_t& old_name, const utility::string_t& new_name);
