// The service control manager as a program installing its own service sees
// it: whether the service exists, creating it, changing its configuration,
// stopping and deleting it. Handles close when their objects are destroyed.
//
// Windows: OpenSCManagerW with all access, CreateServiceW (own process, error
// control normal, account LocalSystem), ChangeServiceConfigW and
// ChangeServiceConfig2W (description), ControlService, DeleteService.
// POSIX: a systemd unit file "<name>.service" in the unit folder: the system
// one (/etc/systemd/system), or "$KOVA_STATE_DIR/systemd" when KOVA_STATE_DIR
// is set. The display name is the unit's Description, the description the
// key X-KovaDescription (line feeds written as "\n"), the binary path its
// ExecStart, dependencies become Wants= and After= (a missing one does not
// keep the service from starting, as under Wine), automatic start a
// [Install] section wanted by multi-user.target. systemd itself is told
// (daemon-reload, enable, stop) only when it runs and the folder is the
// system one; otherwise the service never runs, so it is never active.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace platform {

enum class ServiceStartType { kDemand, kAutomatic };

struct ServiceDefinition {
  std::string name;
  std::string display_name;
  std::string binary_path;  // as the manager starts it (quoted, no arguments)
  ServiceStartType start_type = ServiceStartType::kDemand;
  std::vector<std::string> dependencies;
};

enum class ServiceStopResult {
  kRequested,       // the stop control was accepted
  kNotActive,       // the service was not running
  kAlreadyStopping, // it cannot accept the control because it is stopping
  kFailed,
};

class InstalledService {
 public:
  virtual ~InstalledService() = default;
  virtual ServiceStopResult Stop() = 0;
  // True once the service is stopped, false when |timeout_ms| ran out first.
  virtual bool WaitUntilStopped(uint32_t timeout_ms) = 0;
  // Deletes the service; it goes away once stopped and all handles closed.
  virtual bool Delete() = 0;
  virtual bool SetDescription(const std::string& description) = 0;
  // Changes start type, dependencies and display name; everything else
  // (type, error control, path, group, tag, account) stays as it is.
  virtual bool ChangeConfiguration(ServiceStartType start_type,
                                   const std::vector<std::string>& dependencies,
                                   const std::string& display_name) = 0;
};

enum class ServiceRights { kStopAndDelete, kChangeConfiguration };

// The manager opened with all access.
class ServiceDatabase {
 public:
  virtual ~ServiceDatabase() = default;
  // Null when the service does not exist or cannot be opened so.
  virtual std::unique_ptr<InstalledService> Open(const std::string& name,
                                                 ServiceRights rights) = 0;
  // Null when it cannot be created (for example because it exists).
  virtual std::unique_ptr<InstalledService> Create(const ServiceDefinition& definition) = 0;
};

class ServiceInstaller {
 public:
  virtual ~ServiceInstaller() = default;
  // Whether a service of that name exists; false when the manager cannot be
  // reached.
  virtual bool IsInstalled(const std::string& name) = 0;
  // Null when the manager refuses all access.
  virtual std::unique_ptr<ServiceDatabase> OpenDatabase() = 0;
};

// The operating system's service manager; safe from any thread.
ServiceInstaller& SystemServiceInstaller();

}  // namespace platform
