#include "platform/service_manager.h"
#include "platform/systemd_posix.h"

namespace platform {

namespace {

class SystemdService : public ServiceHandle {
 public:
  explicit SystemdService(std::string unit) : unit_(std::move(unit)) {}

  bool QueryStatus(ServiceStatus* status) override {
    std::string active_state;
    if (!ShowUnitProperty(unit_, "ActiveState", &active_state)) return false;
    status->state = ServiceStateFromSystemd(active_state);
    status->wait_hint_ms = 0;
    return true;
  }

  bool Stop() override {
    return RunSystemctl({"stop", "--no-block", "--", unit_}, kSystemctlControlTimeoutMs, nullptr);
  }

  bool Start() override {
    ServiceStatus status;
    if (!QueryStatus(&status) || status.state == ServiceState::kRunning) return false;
    return RunSystemctl({"start", "--", unit_}, kSystemctlControlTimeoutMs, nullptr);
  }

 private:
  std::string unit_;
};

class SystemdConnection : public ServiceManagerConnection {
 public:
  std::unique_ptr<ServiceHandle> OpenServiceByName(const std::string& name) override {
    const std::string unit = name + ".service";
    std::string load_state;
    if (!ShowUnitProperty(unit, "LoadState", &load_state) || load_state != "loaded") return nullptr;
    return std::make_unique<SystemdService>(unit);
  }
};

class SystemdManager : public ServiceManager {
 public:
  std::unique_ptr<ServiceManagerConnection> Connect() override {
    if (!SystemdRuns()) return nullptr;
    return std::make_unique<SystemdConnection>();
  }
};

}  // namespace

ServiceManager& SystemServiceManager() {
  static SystemdManager* const manager = new SystemdManager;
  return *manager;
}

}  // namespace platform
