// The provider's readers of the configuration store (library/registry_layout.h):
// the configured arrays, an array's URL and API token, the REST version,
// and the two numeric settings the provider caches for its lifetime.
// They log under "Kova.VssProvider", never write or repair the store, and
// hold no key open between calls.
#pragma once

#include <cpprest/details/basic_types.h>

#include <cstdint>
#include <vector>

namespace Utilities {

// Appends the array names (the subkeys of the root key) in the registry's
// enumeration order. A failure ends the list where it happened.
void GetLumenstacks(std::vector<utility::string_t>& arrays);

// Sets |url| and |api_token| from the array's key; each stays as it was
// when it cannot be read (a missing, unreadable or foreign "APIKey"; a
// missing or empty "URL").
void GetLumenstackCredentials(const utility::string_t& array_name,
                              utility::string_t& url, utility::string_t& api_token);

// The "RestVersion" text; empty when it cannot be read, which includes a
// text of 80 characters or more.
utility::string_t GetRestAPIVersion();

enum class CachedSetting { kEradicateVolumes, kDeleteSnaps, kBatchSnapshots };

// kEradicateVolumes: 1 for any non-zero "EradicateVolumes", 0 for zero,
// 1 when it cannot be read. kDeleteSnaps: "DeleteSnaps" with values above
// 3 given as 3, 0 when it cannot be read. kBatchSnapshots: 1 for any
// non-zero "BatchSnapshots", 0 for zero and when it cannot be read. A value that does not fit in 4
// bytes cannot be read. The first successful read of each is kept for the
// rest of the process; a failed read is tried again at the next call.
// Callers serialise the calls (the provider object's lock).
uint32_t GetRegistryDWORD(CachedSetting setting);

// Forgets the cached settings, as a new process would (tests).
void ResetRegistryDWORDCache();

}  // namespace Utilities
