#include <windows.h>

#include "platform/service_installation.h"
#include "platform/wide_text_win.h"

namespace platform {
namespace {

constexpr DWORD kStopPollMs = 250;

// A list of names, each ended by a zero character, and the list by another.
std::wstring NameList(const std::vector<std::string>& names) {
  std::wstring list;
  for (const std::string& name : names) list += Wide(name) + L'\0';
  list += L'\0';
  return list;
}

DWORD StartTypeOf(ServiceStartType type) {
  return type == ServiceStartType::kAutomatic ? SERVICE_AUTO_START : SERVICE_DEMAND_START;
}

class ScmService : public InstalledService {
 public:
  explicit ScmService(SC_HANDLE service) : service_(service) {}
  ~ScmService() override { CloseServiceHandle(service_); }

  ServiceStopResult Stop() override {
    SERVICE_STATUS status{};
    if (ControlService(service_, SERVICE_CONTROL_STOP, &status)) return ServiceStopResult::kRequested;
    const DWORD error = GetLastError();
    if (error == ERROR_SERVICE_NOT_ACTIVE) return ServiceStopResult::kNotActive;
    if (error == ERROR_SERVICE_CANNOT_ACCEPT_CTRL && status.dwCurrentState == SERVICE_STOP_PENDING)
      return ServiceStopResult::kAlreadyStopping;
    return ServiceStopResult::kFailed;
  }

  bool WaitUntilStopped(uint32_t timeout_ms) override {
    const ULONGLONG start = GetTickCount64();
    for (;;) {
      SERVICE_STATUS status{};
      if (!QueryServiceStatus(service_, &status)) return false;
      if (status.dwCurrentState == SERVICE_STOPPED) return true;
      if (GetTickCount64() - start >= timeout_ms) return false;
      Sleep(kStopPollMs);
    }
  }

  bool Delete() override { return DeleteService(service_) != FALSE; }

  bool SetDescription(const std::string& description) override {
    std::wstring text = Wide(description);
    SERVICE_DESCRIPTIONW info{&text[0]};
    return ChangeServiceConfig2W(service_, SERVICE_CONFIG_DESCRIPTION, &info) != FALSE;
  }

  bool ChangeConfiguration(ServiceStartType start_type, const std::vector<std::string>& dependencies,
                           const std::string& display_name) override {
    const std::wstring list = NameList(dependencies);
    return ChangeServiceConfigW(service_, SERVICE_NO_CHANGE, StartTypeOf(start_type),
                                SERVICE_NO_CHANGE, nullptr, nullptr, nullptr, list.c_str(), nullptr,
                                nullptr, Wide(display_name).c_str()) != FALSE;
  }

 private:
  SC_HANDLE service_;
};

class ScmDatabase : public ServiceDatabase {
 public:
  explicit ScmDatabase(SC_HANDLE manager) : manager_(manager) {}
  ~ScmDatabase() override { CloseServiceHandle(manager_); }

  std::unique_ptr<InstalledService> Open(const std::string& name, ServiceRights rights) override {
    const DWORD access = rights == ServiceRights::kStopAndDelete
                             ? SERVICE_STOP | DELETE | SERVICE_QUERY_STATUS
                             : SERVICE_CHANGE_CONFIG;
    SC_HANDLE service = OpenServiceW(manager_, Wide(name).c_str(), access);
    if (service == nullptr) return nullptr;
    return std::make_unique<ScmService>(service);
  }

  std::unique_ptr<InstalledService> Create(const ServiceDefinition& definition) override {
    const std::wstring dependencies = NameList(definition.dependencies);
    SC_HANDLE service = CreateServiceW(
        manager_, Wide(definition.name).c_str(), Wide(definition.display_name).c_str(),
        SERVICE_ALL_ACCESS, SERVICE_WIN32_OWN_PROCESS, StartTypeOf(definition.start_type),
        SERVICE_ERROR_NORMAL, Wide(definition.binary_path).c_str(), nullptr, nullptr,
        dependencies.c_str(), nullptr, nullptr);
    if (service == nullptr) return nullptr;
    return std::make_unique<ScmService>(service);
  }

 private:
  SC_HANDLE manager_;
};

class ScmInstaller : public ServiceInstaller {
 public:
  bool IsInstalled(const std::string& name) override {
    SC_HANDLE manager = OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT);
    if (manager == nullptr) return false;
    SC_HANDLE service = OpenServiceW(manager, Wide(name).c_str(), SERVICE_QUERY_CONFIG);
    if (service != nullptr) CloseServiceHandle(service);
    CloseServiceHandle(manager);
    return service != nullptr;
  }

  std::unique_ptr<ServiceDatabase> OpenDatabase() override {
    SC_HANDLE manager = OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
    if (manager == nullptr) return nullptr;
    return std::make_unique<ScmDatabase>(manager);
  }
};

}  // namespace

ServiceInstaller& SystemServiceInstaller() {
  static ServiceInstaller* const installer = new ScmInstaller;
  return *installer;
}

}  // namespace platform
