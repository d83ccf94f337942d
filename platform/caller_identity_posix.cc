#include <unistd.h>

#include "platform/caller_identity.h"

namespace platform {

HRESULT CheckCallerIsAdministrator() {
  uint32_t user_id = 0;
  if (!ScopedCallerUserId(&user_id)) user_id = static_cast<uint32_t>(geteuid());
  return user_id == 0 ? S_OK : E_ACCESSDENIED;
}

}  // namespace platform
