// Running the program: under the service control manager or as a plain
// local server, the class object, the message loop and the control handler.
#include <chrono>
#include <thread>

#include "library/log/logger.h"
#include "platform/program_identity.h"
#include "provider/service/kova_provider_module.h"
#include "provider/service/provider_identities.h"
#include "provider/service/service_log_tags.h"

namespace kova_service {

HRESULT CKovaProviderModule::Start() {
  bool service_mode = false;
  const HRESULT opened = ReadServiceMode(&service_mode);
  if (opened != S_OK) return opened;
  service_mode_ = service_mode;
  return service_mode ? RunAsService() : RunAsLocalServer();
}

HRESULT CKovaProviderModule::RunAsService() {
  const uint32_t error =
      facilities_.dispatcher->Dispatch(service_name_, [this] { ServiceMain(); });
  std::lock_guard<std::mutex> hold(status_mutex_);
  if (error != 0) status_.dwWin32ExitCode = error;
  return static_cast<HRESULT>(status_.dwWin32ExitCode);
}

HRESULT CKovaProviderModule::RunAsLocalServer() {
  bool initialized = false;
  const HRESULT result = InitializeMultithreadedCom(&initialized);
  if (FAILED(result)) return result;
  com_initialized_ = initialized;
  main_thread_id_ = facilities_.loop->AttachCurrentThread();
  return Run();
}

HRESULT CKovaProviderModule::InitializeMultithreadedCom(bool* initialized) {
  *initialized = false;
  const HRESULT result = facilities_.com->InitializeApartment(true);
  if (SUCCEEDED(result)) {
    *initialized = true;
    return result;
  }
  if (result == RPC_E_CHANGED_MODE && facilities_.com->IsDotNetRuntimeLoaded()) return S_OK;
  return result;
}

void CKovaProviderModule::ServiceMain() {
  state_ = SERVICE_START_PENDING;
  main_thread_id_ = facilities_.loop->AttachCurrentThread();
  if (!facilities_.dispatcher->RegisterControlHandler(
          service_name_, [this](uint32_t control) { Handler(control); })) {
    LogServiceEvent("Handler not installed");
    return;
  }
  {
    std::lock_guard<std::mutex> hold(status_mutex_);
    status_.dwWin32ExitCode = 0;
    status_.dwCheckPoint = 0;
    status_.dwWaitHint = 0;
  }
  ReportStatus();
  bool initialized = false;
  HRESULT result = InitializeMultithreadedCom(&initialized);
  delayed_shutdown_ = false;
  if (SUCCEEDED(result)) result = Run();
  {
    std::lock_guard<std::mutex> hold(status_mutex_);
    status_.dwWin32ExitCode = static_cast<uint32_t>(result);
  }
  if (initialized) facilities_.com->UninitializeApartment();
  SetState(SERVICE_STOPPED);
  LogServiceEvent("Service stopped");
}

HRESULT CKovaProviderModule::Run() {
  if (service_mode_) {
    const HRESULT secured = InitializeSecurity();
    if (FAILED(secured)) return secured;
  }
  HRESULT result = RegisterClassObject();
  if (FAILED(result)) return result;
  if (delayed_shutdown_) monitor_.Start(*facilities_.loop, main_thread_id_);
  if (service_mode_) EnterRunningState();
  result = facilities_.com->ResumeClassObjects();
  if (FAILED(result)) {
    facilities_.com->RevokeClassObjects();
    if (delayed_shutdown_) monitor_.StopAndWait(ShutdownMonitor::kStopWaitMs);
    return result;
  }
  facilities_.loop->RunUntilQuit();
  EndRun();
  return S_OK;
}

HRESULT CKovaProviderModule::RegisterClassObject() {
  platform::ClassObjectCallbacks callbacks;
  callbacks.create_instance = [this](const GUID& iid, void** object) {
    return CreateProviderObject(iid, object);
  };
  callbacks.lock_server = [this](bool lock) { lock ? Lock() : Unlock(); };
  const HRESULT result =
      facilities_.com->RegisterClassObject(CLSID_KovaVssProvider, std::move(callbacks));
  if (result == platform::kComServerNotAvailable) {
    Logger::Write(LOG_ERROR, kServiceHostTag,
                  "Run: COM class objects cannot be served on this platform (%08x)", result);
    *facilities_.console << "KovaProvider: COM class objects cannot be served to other processes "
                            "on this platform; the provider runs inside its coordinator here."
                         << std::endl;
  }
  return result;
}

void CKovaProviderModule::EnterRunningState() {
  uint32_t expected = SERVICE_START_PENDING;
  if (!state_.compare_exchange_strong(expected, SERVICE_RUNNING)) return;
  LogServiceEvent("Service started/resumed");
  ReportStatus();
}

// After the loop: no new objects, then no call left half done.
void CKovaProviderModule::EndRun() {
  facilities_.com->RevokeClassObjects();
  if (delayed_shutdown_) {
    std::this_thread::sleep_for(std::chrono::milliseconds(pause_ms_));
    monitor_.StopAndWait(ShutdownMonitor::kStopWaitMs);
  }
  gate_.CloseAndWait();
}

HRESULT CKovaProviderModule::InitializeSecurity() { return facilities_.com->InitializeSecurity(); }

void CKovaProviderModule::Handler(uint32_t control) {
  switch (control) {
    case SERVICE_CONTROL_STOP: OnStop(); break;
    case SERVICE_CONTROL_PAUSE: OnPause(); break;
    case SERVICE_CONTROL_CONTINUE: OnContinue(); break;
    case SERVICE_CONTROL_INTERROGATE: OnInterrogate(); break;
    case SERVICE_CONTROL_SHUTDOWN: OnShutdown(); break;
    default: LogServiceEvent("Bad service request");
  }
}

void CKovaProviderModule::OnStop() {
  Logger::Write(LOG_INFO, kServiceHostTag, "OnStop Service : ProcessID=%08x",
                platform::CurrentProcessId());
  state_.exchange(SERVICE_STOP_PENDING);
  ReportStatus();
  facilities_.loop->PostQuit(main_thread_id_);
}

void CKovaProviderModule::OnPause() {
  Logger::Write(LOG_INFO, kServiceHostTag, "OnPause Service : ProcessID=%08x",
                platform::CurrentProcessId());
}

void CKovaProviderModule::OnContinue() {
  Logger::Write(LOG_INFO, kServiceHostTag, "OnContinue Service : ProcessID=%08x",
                platform::CurrentProcessId());
}

void CKovaProviderModule::OnInterrogate() {
  if (!interrogate_logging_) return;
  Logger::Write(LOG_INFO, kServiceHostTag, "OnInterrogate Service : ProcessID=%08x",
                platform::CurrentProcessId());
}

void CKovaProviderModule::OnShutdown() {
  Logger::Write(LOG_INFO, kServiceHostTag, "OnShutdown Service : ProcessID=%08x",
                platform::CurrentProcessId());
}

}  // namespace kova_service
