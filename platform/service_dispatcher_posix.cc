#include <cstdlib>
#include <thread>

#include "platform/service_dispatcher.h"

namespace platform {
namespace {

// systemd gives every process it starts for a unit this variable.
bool StartedBySystemd() {
  const char* invocation = std::getenv("INVOCATION_ID");
  return invocation != nullptr && *invocation != '\0';
}

class SystemdDispatcher : public ServiceDispatcher {
 public:
  uint32_t Dispatch(const std::string& /*service_name*/,
                    std::function<void()> service_main) override {
    if (!StartedBySystemd()) return ERROR_FAILED_SERVICE_CONTROLLER_CONNECT;
    std::thread main_thread(std::move(service_main));
    main_thread.join();
    return 0;
  }

  bool RegisterControlHandler(const std::string& /*service_name*/,
                              std::function<void(uint32_t)> /*handler*/) override {
    return true;
  }

  bool ReportStatus(const SERVICE_STATUS& /*status*/) override { return true; }
};

}  // namespace

ServiceDispatcher& SystemServiceDispatcher() {
  static ServiceDispatcher* const dispatcher = new SystemdDispatcher;
  return *dispatcher;
}

}  // namespace platform
