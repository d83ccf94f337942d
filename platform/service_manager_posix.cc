#include <sys/stat.h>

#include "platform/program_runner_posix.h"
#include "platform/service_manager.h"

namespace platform {

namespace {

constexpr char kSystemctl[] = "systemctl";
// systemd's marker that it is the running init system.
constexpr char kSystemdRuntimeDir[] = "/run/systemd/system";
constexpr uint32_t kQueryTimeoutMs = 10000;
// A start waits for the unit's start job, which systemd bounds itself.
constexpr uint32_t kControlTimeoutMs = 120000;

bool RunSystemctl(const std::vector<std::string>& args, uint32_t timeout_ms, std::string* output) {
  ProgramRun run;
  if (!RunProgram(kSystemctl, args, timeout_ms, &run) || run.exit_code != 0) return false;
  if (output) *output = run.output;
  return true;
}

// One property of a unit as "systemctl show" prints it ("Name=value\n").
bool ShowProperty(const std::string& unit, const std::string& property, std::string* value) {
  std::string output;
  if (!RunSystemctl({"show", "--no-pager", "--property=" + property, "--", unit}, kQueryTimeoutMs,
                    &output)) {
    return false;
  }
  const std::string prefix = property + "=";
  if (output.compare(0, prefix.size(), prefix) != 0) return false;
  const size_t end = output.find('\n');
  *value = output.substr(prefix.size(), end == std::string::npos ? end : end - prefix.size());
  return true;
}

class SystemdService : public ServiceHandle {
 public:
  explicit SystemdService(std::string unit) : unit_(std::move(unit)) {}

  bool QueryStatus(ServiceStatus* status) override {
    std::string active_state;
    if (!ShowProperty(unit_, "ActiveState", &active_state)) return false;
    status->state = ServiceStateFromSystemd(active_state);
    status->wait_hint_ms = 0;
    return true;
  }

  bool Stop() override {
    return RunSystemctl({"stop", "--no-block", "--", unit_}, kControlTimeoutMs, nullptr);
  }

  bool Start() override {
    ServiceStatus status;
    if (!QueryStatus(&status) || status.state == ServiceState::kRunning) return false;
    return RunSystemctl({"start", "--", unit_}, kControlTimeoutMs, nullptr);
  }

 private:
  std::string unit_;
};

class SystemdConnection : public ServiceManagerConnection {
 public:
  std::unique_ptr<ServiceHandle> OpenServiceByName(const std::string& name) override {
    const std::string unit = name + ".service";
    std::string load_state;
    if (!ShowProperty(unit, "LoadState", &load_state) || load_state != "loaded") return nullptr;
    return std::make_unique<SystemdService>(unit);
  }
};

class SystemdManager : public ServiceManager {
 public:
  std::unique_ptr<ServiceManagerConnection> Connect() override {
    struct stat info {};
    if (stat(kSystemdRuntimeDir, &info) != 0 || !S_ISDIR(info.st_mode)) return nullptr;
    return std::make_unique<SystemdConnection>();
  }
};

}  // namespace

ServiceManager& SystemServiceManager() {
  static SystemdManager* const manager = new SystemdManager;
  return *manager;
}

}  // namespace platform
