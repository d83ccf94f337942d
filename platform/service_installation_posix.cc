#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <thread>

#include "platform/service_installation.h"
#include "platform/service_unit_file.h"
#include "platform/systemd_posix.h"

namespace platform {
namespace {

constexpr char kSystemUnitFolder[] = "/etc/systemd/system";
constexpr uint32_t kStopPollMs = 250;

// The folder of the unit files and whether systemd reads it.
struct UnitFolder {
  std::string path;
  bool systemd = false;
};

UnitFolder CurrentUnitFolder() {
  const char* state_dir = std::getenv("KOVA_STATE_DIR");
  if (state_dir != nullptr && *state_dir != '\0') {
    return {std::string(state_dir) + "/systemd", false};
  }
  return {kSystemUnitFolder, SystemdRuns()};
}

bool ReadUnit(const std::string& path, ServiceUnit* unit) {
  std::ifstream file(path);
  if (!file) return false;
  std::ostringstream text;
  text << file.rdbuf();
  return ParseServiceUnit(text.str(), unit);
}

// Written beside and renamed over, so a reader never sees half a file.
bool WriteUnit(const std::string& path, const ServiceUnit& unit) {
  const std::string temporary = path + ".new";
  {
    std::ofstream file(temporary, std::ios::trunc);
    file << FormatServiceUnit(unit);
    if (!file.flush()) {
      unlink(temporary.c_str());
      return false;
    }
  }
  if (rename(temporary.c_str(), path.c_str()) != 0) {
    unlink(temporary.c_str());
    return false;
  }
  return true;
}

class UnitFileService : public InstalledService {
 public:
  UnitFileService(UnitFolder folder, std::string name)
      : folder_(std::move(folder)), unit_(std::move(name) + ".service"),
        path_(folder_.path + "/" + unit_) {}

  ServiceStopResult Stop() override {
    if (!folder_.systemd) return ServiceStopResult::kNotActive;
    std::string state;
    if (!ShowUnitProperty(unit_, "ActiveState", &state)) return ServiceStopResult::kFailed;
    if (state == "inactive" || state == "failed") return ServiceStopResult::kNotActive;
    if (state == "deactivating") return ServiceStopResult::kAlreadyStopping;
    return RunSystemctl({"stop", "--no-block", "--", unit_}, kSystemctlControlTimeoutMs, nullptr)
               ? ServiceStopResult::kRequested
               : ServiceStopResult::kFailed;
  }

  bool WaitUntilStopped(uint32_t timeout_ms) override {
    if (!folder_.systemd) return true;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
    for (;;) {
      std::string state;
      if (ShowUnitProperty(unit_, "ActiveState", &state) && (state == "inactive" || state == "failed"))
        return true;
      if (std::chrono::steady_clock::now() >= deadline) return false;
      std::this_thread::sleep_for(std::chrono::milliseconds(kStopPollMs));
    }
  }

  bool Delete() override {
    if (folder_.systemd) RunSystemctl({"disable", "--", unit_}, kSystemctlControlTimeoutMs, nullptr);
    if (unlink(path_.c_str()) != 0) return false;
    Reload();
    return true;
  }

  bool SetDescription(const std::string& description) override {
    ServiceUnit unit;
    if (!ReadUnit(path_, &unit)) return false;
    unit.description = description;
    return WriteUnit(path_, unit) && Reload();
  }

  bool ChangeConfiguration(ServiceStartType start_type, const std::vector<std::string>& dependencies,
                           const std::string& display_name) override {
    ServiceUnit unit;
    if (!ReadUnit(path_, &unit)) return false;
    unit.definition.start_type = start_type;
    unit.definition.dependencies = dependencies;
    unit.definition.display_name = display_name;
    if (!WriteUnit(path_, unit) || !Reload()) return false;
    if (!folder_.systemd || start_type != ServiceStartType::kAutomatic) return true;
    return RunSystemctl({"enable", "--", unit_}, kSystemctlControlTimeoutMs, nullptr);
  }

  bool Reload() {
    return !folder_.systemd ||
           RunSystemctl({"daemon-reload"}, kSystemctlControlTimeoutMs, nullptr);
  }

  const std::string& path() const { return path_; }

 private:
  UnitFolder folder_;
  std::string unit_;
  std::string path_;
};

class UnitFileDatabase : public ServiceDatabase {
 public:
  explicit UnitFileDatabase(UnitFolder folder) : folder_(std::move(folder)) {}

  std::unique_ptr<InstalledService> Open(const std::string& name, ServiceRights /*rights*/) override {
    auto service = std::make_unique<UnitFileService>(folder_, name);
    ServiceUnit unit;
    if (!ReadUnit(service->path(), &unit)) return nullptr;
    return service;
  }

  std::unique_ptr<InstalledService> Create(const ServiceDefinition& definition) override {
    auto service = std::make_unique<UnitFileService>(folder_, definition.name);
    if (access(service->path().c_str(), F_OK) == 0) return nullptr;
    ServiceUnit unit;
    unit.definition = definition;
    if (!WriteUnit(service->path(), unit) || !service->Reload()) return nullptr;
    return service;
  }

 private:
  UnitFolder folder_;
};

class UnitFileInstaller : public ServiceInstaller {
 public:
  bool IsInstalled(const std::string& name) override {
    const UnitFolder folder = CurrentUnitFolder();
    return access((folder.path + "/" + name + ".service").c_str(), F_OK) == 0;
  }

  std::unique_ptr<ServiceDatabase> OpenDatabase() override {
    const UnitFolder folder = CurrentUnitFolder();
    struct stat info {};
    const bool is_folder = stat(folder.path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
    if (!is_folder && mkdir(folder.path.c_str(), 0755) != 0) return nullptr;
    if (access(folder.path.c_str(), W_OK) != 0) return nullptr;
    return std::make_unique<UnitFileDatabase>(folder);
  }
};

}  // namespace

ServiceInstaller& SystemServiceInstaller() {
  static ServiceInstaller* const installer = new UnitFileInstaller;
  return *installer;
}

}  // namespace platform
