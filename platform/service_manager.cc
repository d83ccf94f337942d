#include "platform/service_manager.h"

namespace platform {

ServiceState ServiceStateFromSystemd(const std::string& active_state) {
  if (active_state == "active" || active_state == "reloading" || active_state == "refreshing") {
    return ServiceState::kRunning;
  }
  if (active_state == "activating") return ServiceState::kStartPending;
  if (active_state == "inactive" || active_state == "failed") return ServiceState::kStopped;
  // "deactivating", and states of newer systemd versions: neither running
  // nor stopped, so a waiting caller keeps waiting.
  return ServiceState::kStopPending;
}

}  // namespace platform
