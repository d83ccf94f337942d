// Fakes of what the service host uses from the machine: a service manager
// with one database of services, a dispatcher that runs the service main
// thread as the manager would and lets a test send controls, COM that
// records what the module asks of it, message boxes and events that are
// recorded, and a VSS coordinator that cannot be created.
#pragma once

#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

#include "platform/com_runtime.h"
#include "platform/event_log.h"
#include "platform/message_box.h"
#include "platform/service_dispatcher.h"
#include "platform/service_installation.h"
#include "platform/vss_coordinator.h"
#include "provider/service/service_host_facilities.h"

// One service as the manager keeps it.
struct FakeServiceRecord {
  platform::ServiceDefinition definition;
  std::string description;
  bool running = false;
  bool marked_for_delete = false;  // deleted while running
};

class FakeServiceInstaller : public platform::ServiceInstaller {
 public:
  bool IsInstalled(const std::string& name) override;
  std::unique_ptr<platform::ServiceDatabase> OpenDatabase() override;

  // The manager's state; guarded by |mutex| while a service runs.
  std::map<std::string, FakeServiceRecord> services;
  bool reachable = true;
  bool refuse_open_service = false;
  // As Wine's manager: a service created in this run cannot be opened by
  // name (only through the handle its creation gave).
  bool created_cannot_be_opened = false;
  std::vector<std::string> created;
  bool refuse_create = false;
  bool refuse_delete = false;
  bool refuse_change = false;
  platform::ServiceStopResult stop_failure = platform::ServiceStopResult::kRequested;
  bool stop_fails = false;
  // "Stop NAME", "Wait NAME", "Delete NAME", "Create NAME", "Describe NAME",
  // "Change NAME", in order.
  std::vector<std::string> calls;
  std::mutex mutex;
};

class FakeServiceDispatcher : public platform::ServiceDispatcher {
 public:
  ~FakeServiceDispatcher() override;

  uint32_t Dispatch(const std::string& service_name, std::function<void()> service_main) override;
  bool RegisterControlHandler(const std::string& service_name,
                              std::function<void(uint32_t)> handler) override;
  bool ReportStatus(const SERVICE_STATUS& status) override;

  // Nonzero: Dispatch fails at once with this error (a program started from
  // a console gets 1063).
  uint32_t dispatch_error = 0;
  bool refuse_handler = false;

  // Sends a control as the manager does, on the calling thread; false when
  // no handler is registered.
  bool Control(uint32_t control);
  // Waits until a status with |state| has been reported.
  bool WaitForState(uint32_t state, int timeout_ms = 10000);
  std::vector<SERVICE_STATUS> Reports() const;
  std::vector<uint32_t> ReportedStates() const;

 private:
  mutable std::mutex mutex_;
  std::condition_variable changed_;
  std::function<void(uint32_t)> handler_;
  std::vector<SERVICE_STATUS> reports_;
};

class FakeComRuntime : public platform::ComRuntime {
 public:
  HRESULT InitializeApartment(bool multithreaded) override;
  void UninitializeApartment() override;
  bool IsDotNetRuntimeLoaded() override { return dot_net_loaded; }
  HRESULT InitializeSecurity() override;
  HRESULT RegisterClassObject(const GUID& clsid, platform::ClassObjectCallbacks callbacks) override;
  HRESULT ResumeClassObjects() override;
  void RevokeClassObjects() override;
  uint32_t AddRefServerProcess() override;
  uint32_t ReleaseServerProcess() override;

  // What COM answers.
  HRESULT apartment_result = S_OK;
  bool dot_net_loaded = false;
  HRESULT security_result = S_OK;
  HRESULT register_result = S_OK;
  HRESULT resume_result = S_OK;

  // The class object as COM holds it; CreateInstance stands for a client.
  HRESULT CreateInstance(const GUID& iid, void** object);
  void LockServer(bool lock);
  bool WaitForResumed(int timeout_ms = 10000);

  mutable std::mutex mutex;
  std::vector<bool> apartments;  // multithreaded, per initialisation
  int uninitialized = 0;
  int security_calls = 0;
  std::vector<GUID> registered;
  bool resumed = false;
  int revoked = 0;
  uint32_t server_count = 0;

 private:
  std::condition_variable changed_;
  platform::ClassObjectCallbacks callbacks_;
};

struct ShownMessage {
  std::string text;
  std::string caption;
  platform::MessageKind kind;
};

class RecordingMessageBoxes : public platform::MessageBoxes {
 public:
  platform::MessageAnswer Show(platform::MessageKind kind, const std::string& text,
                               const std::string& caption) override;
  std::vector<ShownMessage> shown;
};

// The service host's facilities made of these fakes, with the message loop,
// registry-written type libraries and |vss|.
struct FakeMachine {
  FakeServiceInstaller* services;
  FakeServiceDispatcher* dispatcher;
  FakeComRuntime* com;
  RecordingMessageBoxes* boxes;
  platform::EventLog* events;
  std::ostream* console;
  platform::VssCoordinator* vss;
};
kova_service::ServiceHostFacilities FakeFacilities(const FakeMachine& machine,
                                                   const std::string& program_path);

// A coordinator that cannot be created, with the given failure.
class UnreachableVssCoordinator : public platform::VssCoordinator {
 public:
  explicit UnreachableVssCoordinator(HRESULT failure) : failure_(failure) {}
  std::unique_ptr<platform::VssAdministration> Connect(HRESULT* result) override;

 private:
  HRESULT failure_;
};
