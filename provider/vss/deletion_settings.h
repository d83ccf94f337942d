// The two settings that say what the provider deletes on an array, read
// (and, once read, cached for the process) at each deletion.
#pragma once

#include <cstdint>

#include "library/config/registry_readers.h"

// "DeleteSnaps": 0 to 3, what releasing an imported LUN deletes.
inline uint32_t DeleteSnapsSetting() {
  return Utilities::GetRegistryDWORD(Utilities::CachedSetting::kDeleteSnaps);
}

// "EradicateVolumes": whether a deleted volume is also eradicated.
inline bool EradicateVolumesSetting() {
  return Utilities::GetRegistryDWORD(Utilities::CachedSetting::kEradicateVolumes) != 0;
}
