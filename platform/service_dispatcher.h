// The connection of a service's process to the service control manager: the
// dispatcher that the process's first thread hands itself to, the control
// handler and the status reports.
//
// Common semantics: Dispatch runs |service_main| on a thread of its own and
// returns when it has ended; meanwhile the calling thread receives the
// manager's control requests and passes them to the handler registered by
// the service main thread. One service per process.
// Windows: StartServiceCtrlDispatcherW with one entry, RegisterServiceCtrl-
// HandlerW, SetServiceStatus. A program that the manager did not start fails
// with ERROR_FAILED_SERVICE_CONTROLLER_CONNECT (1063).
// POSIX: a process that systemd started as a service (it has the variable
// INVOCATION_ID) runs |service_main| on a new thread; status reports are
// accepted and not passed on; systemd stops the service by a signal, which
// ends the process. Any other process fails with 1063, as on Windows.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "platform/service_status.h"

namespace platform {

class ServiceDispatcher {
 public:
  virtual ~ServiceDispatcher() = default;

  // 0 after the service has ended; else the Win32 error of the dispatcher.
  virtual uint32_t Dispatch(const std::string& service_name,
                            std::function<void()> service_main) = 0;
  // From the service main thread; false when the handler is refused.
  virtual bool RegisterControlHandler(const std::string& service_name,
                                      std::function<void(uint32_t control)> handler) = 0;
  // Reports |status| for the service whose handler is registered.
  virtual bool ReportStatus(const SERVICE_STATUS& status) = 0;
};

// The operating system's dispatcher, alive for the whole process.
ServiceDispatcher& SystemServiceDispatcher();

}  // namespace platform
