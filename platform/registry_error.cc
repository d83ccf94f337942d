#include "platform/registry_error.h"

namespace platform {

uint32_t Win32ErrorOfRegistryStatus(RegistryStatus status) {
  switch (status) {
    case RegistryStatus::kOk: return 0;
    case RegistryStatus::kNotFound: return 2;
    case RegistryStatus::kAccessDenied: return 5;
    case RegistryStatus::kMoreData: return 234;
    case RegistryStatus::kNoMoreItems: return 259;
    case RegistryStatus::kFailed: break;
  }
  return 1016;
}

}  // namespace platform
