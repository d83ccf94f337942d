// CKovaProviderModule: the provider program as a Windows service and COM
// local server. It registers and removes everything the provider needs
// outside the program (COM class and type library, AppID, service, VSS
// provider, event source), and runs the class object of KovaVssProvider
// either under the service control manager or as a plain local server.
//
// Threads: the process's first thread runs the command line, the
// registration and the dispatcher, and receives the control requests
// (Handler); in service mode the service main thread runs ServiceMain and
// the message loop; COM calls Lock, Unlock and the class object on its own
// threads. The service state is changed atomically (an exchange on stop, a
// compare-and-set from start pending to running).
//
// The operations are in kova_provider_module.cc (command line, events,
// locks), module_registration.cc (class, type library, AppID),
// module_service_install.cc (the service), module_vss_registration.cc,
// module_event_source.cc and module_service_run.cc (Start .. OnShutdown).
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

#include "platform/hresult.h"
#include "platform/service_status.h"
#include "provider/service/module_lock.h"
#include "provider/service/provider_call_gate.h"
#include "provider/service/service_host_facilities.h"
#include "provider/service/shutdown_monitor.h"

namespace kova_service {

class CKovaProviderModule : public ModuleLock {
 public:
  // |service_name| as loaded from the program's string 100 ("" when it
  // could not be loaded).
  CKovaProviderModule(ServiceHostFacilities facilities, std::string service_name);
  CKovaProviderModule(const CKovaProviderModule&) = delete;
  CKovaProviderModule& operator=(const CKovaProviderModule&) = delete;

  // False when the service name is missing or longer than 255 characters.
  bool Initialized() const;

  // Looks for the first "Service" or "UnregServer" switch. With one, runs
  // the registration or the removal, sets |*exit_code| and returns false;
  // without, reads the interrogate logging setting and returns true.
  bool ParseCommandLine(const std::string& command_line, HRESULT* exit_code);

  // Registration steps (see the class comment for where each lives).
  HRESULT RegisterAppId();
  HRESULT UnregisterAppId();
  HRESULT RegisterServer();
  HRESULT UnregisterServer();
  bool Install();
  bool Uninstall();
  void ConfigureService();
  void RegisterKovaProvider();
  void UnregisterKovaProvider();
  void AddEventSource();

  // Runs the program: as the service when the AppID names one, else as a
  // plain local server. Returns the process's exit code.
  HRESULT Start();
  void ServiceMain();
  void Handler(uint32_t control);
  HRESULT Run();
  HRESULT InitializeSecurity();
  void OnStop();
  void OnPause();
  void OnContinue();
  void OnInterrogate();
  void OnShutdown();

  // ModuleLock: objects and server locks. Outside service mode the last
  // Unlock ends the message loop.
  void Lock() override;
  void Unlock() override;

  // The class object's work: a served provider object (IClassFactory::
  // CreateInstance).
  HRESULT CreateProviderObject(const GUID& iid, void** object);

  bool ComInitialized() const { return com_initialized_; }
  bool ServiceMode() const { return service_mode_; }
  bool InterrogateLogging() const { return interrogate_logging_; }
  long LockCount() const { return lock_count_; }
  // The status as last reported, with the current state.
  SERVICE_STATUS Status() const;
  // Test seam: the wait after the class objects are revoked in local-server
  // mode (1000 ms).
  void SetShutdownPause(uint32_t pause_ms) { pause_ms_ = pause_ms; }

 private:
  HRESULT RegisterEverything();
  HRESULT UnregisterEverything();
  bool ReadInterrogateSetting() const;
  // Service mode: HKCR\AppID\{AppID} names a service in "LocalService".
  HRESULT ReadServiceMode(bool* service_mode) const;
  HRESULT RunAsService();
  HRESULT RunAsLocalServer();
  // CoInitializeEx for the multithreaded apartment, tolerating
  // RPC_E_CHANGED_MODE while the .NET runtime is loaded.
  HRESULT InitializeMultithreadedCom(bool* initialized);
  HRESULT RegisterClassObject();
  void EnterRunningState();
  void EndRun();
  void ReportStatus();
  void SetState(uint32_t state);
  // The service host's information event (identifier 0, category 0),
  // also on the console outside service mode.
  void LogServiceEvent(const std::string& text);
  void ShowMessage(const char* text, bool error_icon = false);
  std::string ServiceDescription() const;

  ServiceHostFacilities facilities_;
  std::string service_name_;

  mutable std::mutex status_mutex_;  // the report's fields and its sending
  SERVICE_STATUS status_;
  std::atomic<uint32_t> state_{SERVICE_STOPPED};

  std::atomic<bool> service_mode_{true};
  bool com_initialized_ = false;
  std::atomic<uint32_t> main_thread_id_{0};
  std::atomic<bool> delayed_shutdown_{true};
  uint32_t pause_ms_ = 1000;
  std::atomic<long> lock_count_{0};
  bool interrogate_logging_ = false;

  // The service Install created in this run, configured through the same
  // handle: Wine's manager does not find a service by name in the process
  // that has just created it.
  std::unique_ptr<platform::InstalledService> created_service_;

  ShutdownMonitor monitor_;
  ProviderCallGate gate_;
};

}  // namespace kova_service
