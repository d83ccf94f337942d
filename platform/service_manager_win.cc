#include <windows.h>

#include "platform/service_manager.h"
#include "platform/utf16.h"

namespace platform {

namespace {

ServiceState StateFromWindows(DWORD state) {
  switch (state) {
    case SERVICE_STOPPED: return ServiceState::kStopped;
    case SERVICE_START_PENDING: return ServiceState::kStartPending;
    case SERVICE_STOP_PENDING: return ServiceState::kStopPending;
    case SERVICE_RUNNING: return ServiceState::kRunning;
    case SERVICE_CONTINUE_PENDING: return ServiceState::kContinuePending;
    case SERVICE_PAUSE_PENDING: return ServiceState::kPausePending;
    default: return ServiceState::kPaused;
  }
}

class WinService : public ServiceHandle {
 public:
  explicit WinService(SC_HANDLE service) : service_(service) {}
  ~WinService() override { CloseServiceHandle(service_); }

  bool QueryStatus(ServiceStatus* status) override {
    SERVICE_STATUS native{};
    if (!QueryServiceStatus(service_, &native)) return false;
    status->state = StateFromWindows(native.dwCurrentState);
    status->wait_hint_ms = native.dwWaitHint;
    return true;
  }

  bool Stop() override {
    SERVICE_STATUS native{};
    return ControlService(service_, SERVICE_CONTROL_STOP, &native) != FALSE;
  }

  bool Start() override { return StartServiceW(service_, 0, nullptr) != FALSE; }

 private:
  SC_HANDLE service_;
};

class WinConnection : public ServiceManagerConnection {
 public:
  explicit WinConnection(SC_HANDLE manager) : manager_(manager) {}
  ~WinConnection() override { CloseServiceHandle(manager_); }

  std::unique_ptr<ServiceHandle> OpenServiceByName(const std::string& name) override {
    const std::u16string wide = Utf8ToUtf16(name);
    SC_HANDLE service =
        OpenServiceW(manager_, reinterpret_cast<const wchar_t*>(wide.c_str()),
                     SERVICE_QUERY_STATUS | SERVICE_START | SERVICE_STOP);
    if (!service) return nullptr;
    return std::make_unique<WinService>(service);
  }

 private:
  SC_HANDLE manager_;
};

class WinServiceManager : public ServiceManager {
 public:
  std::unique_ptr<ServiceManagerConnection> Connect() override {
    SC_HANDLE manager = OpenSCManagerW(nullptr, SERVICES_ACTIVE_DATABASEW, SC_MANAGER_CONNECT);
    if (!manager) return nullptr;
    return std::make_unique<WinConnection>(manager);
  }
};

}  // namespace

ServiceManager& SystemServiceManager() {
  static WinServiceManager* const manager = new WinServiceManager;
  return *manager;
}

}  // namespace platform
