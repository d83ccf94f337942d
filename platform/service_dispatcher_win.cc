#include <windows.h>

#include "platform/service_dispatcher.h"
#include "platform/wide_text_win.h"

namespace platform {
namespace {

// The manager calls plain functions; one service per process.
std::function<void()> g_service_main;
std::function<void(uint32_t)> g_handler;
SERVICE_STATUS_HANDLE g_status_handle = nullptr;

void WINAPI ServiceMainEntry(DWORD /*argc*/, LPWSTR* /*argv*/) {
  if (g_service_main) g_service_main();
}

void WINAPI HandlerEntry(DWORD control) {
  if (g_handler) g_handler(control);
}

class ControlManagerDispatcher : public ServiceDispatcher {
 public:
  uint32_t Dispatch(const std::string& service_name, std::function<void()> service_main) override {
    g_service_main = std::move(service_main);
    std::wstring name = Wide(service_name);
    SERVICE_TABLE_ENTRYW table[] = {{&name[0], ServiceMainEntry}, {nullptr, nullptr}};
    if (!StartServiceCtrlDispatcherW(table)) return GetLastError();
    return 0;
  }

  bool RegisterControlHandler(const std::string& service_name,
                              std::function<void(uint32_t)> handler) override {
    g_handler = std::move(handler);
    g_status_handle = RegisterServiceCtrlHandlerW(Wide(service_name).c_str(), HandlerEntry);
    return g_status_handle != nullptr;
  }

  bool ReportStatus(const SERVICE_STATUS& status) override {
    SERVICE_STATUS copy = status;
    return SetServiceStatus(g_status_handle, &copy) != FALSE;
  }
};

}  // namespace

ServiceDispatcher& SystemServiceDispatcher() {
  static ServiceDispatcher* const dispatcher = new ControlManagerDispatcher;
  return *dispatcher;
}

}  // namespace platform
