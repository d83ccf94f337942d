#include "platform/com_class_client.h"

namespace platform {

HRESULT CreateLocalServerObject(const GUID& /*clsid*/, const GUID& /*iid*/, void** object) {
  if (object == nullptr) return E_POINTER;
  *object = nullptr;
  return kComServerNotAvailable;
}

}  // namespace platform
