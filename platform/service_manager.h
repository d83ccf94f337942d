// The machine's service manager: whether a service runs, and stopping and
// starting it. Handles close when their objects are destroyed.
//
// Common semantics:
// - ServiceManager::Connect opens the manager of the local machine (its
//   database of active services, connect access); OpenServiceByName opens one
//   service with query-status, start and stop access. Either gives null when
//   the manager or the service cannot be reached.
// - Stop sends the stop request and returns at once; the caller watches the
//   state. Start fails for a service that is already running.
// POSIX: systemd through `systemctl`. Service "Name" is the unit
// "Name.service". Where no systemd runs (no /run/systemd/system) the
// manager cannot be reached. States come from the unit's ActiveState; the
// wait hint is always 0.
// Windows: OpenSCManager("ServicesActive", SC_MANAGER_CONNECT), OpenService,
// QueryServiceStatus, ControlService(SERVICE_CONTROL_STOP), StartService.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace platform {

enum class ServiceState {
  kStopped,
  kStartPending,
  kStopPending,
  kRunning,
  kContinuePending,
  kPausePending,
  kPaused,
};

struct ServiceStatus {
  ServiceState state = ServiceState::kStopped;
  // The service's own estimate of how long its pending operation takes.
  uint32_t wait_hint_ms = 0;
};

class ServiceHandle {
 public:
  virtual ~ServiceHandle() = default;
  virtual bool QueryStatus(ServiceStatus* status) = 0;
  // False when the manager refuses the stop request.
  virtual bool Stop() = 0;
  // Starts the service without arguments; false when it cannot be started.
  virtual bool Start() = 0;
};

class ServiceManagerConnection {
 public:
  virtual ~ServiceManagerConnection() = default;
  virtual std::unique_ptr<ServiceHandle> OpenServiceByName(const std::string& name) = 0;
};

class ServiceManager {
 public:
  virtual ~ServiceManager() = default;
  virtual std::unique_ptr<ServiceManagerConnection> Connect() = 0;
};

// The machine's service manager; safe from any thread.
ServiceManager& SystemServiceManager();

// Maps systemd's ActiveState text to a state: "active" and "reloading" run,
// "activating" and "deactivating" are pending, "inactive", "failed" and
// anything unknown are stopped.
ServiceState ServiceStateFromSystemd(const std::string& active_state);

}  // namespace platform
