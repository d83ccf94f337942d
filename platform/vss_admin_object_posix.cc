#include "platform/vss_admin_object.h"

namespace platform {

HRESULT CreateVssAdminObject(std::shared_ptr<VssAdministration> /*administration*/,
                             std::function<void()> on_last_release, const GUID& /*iid*/,
                             void** object) {
  if (on_last_release) on_last_release();
  if (object == nullptr) return E_POINTER;
  *object = nullptr;
  return kComServerNotAvailable;
}

}  // namespace platform
