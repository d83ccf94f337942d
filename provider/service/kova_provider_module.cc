#include "provider/service/kova_provider_module.h"

#include <cstring>
#include <memory>

#include "library/log/logger.h"
#include "library/registry_layout.h"
#include "platform/registry.h"
#include "provider/service/command_line_switch.h"
#include "provider/service/provider_identities.h"
#include "provider/service/served_kova_vss_provider.h"
#include "provider/service/service_log_tags.h"

namespace kova_service {

CKovaProviderModule::CKovaProviderModule(ServiceHostFacilities facilities, std::string service_name)
    : facilities_(std::move(facilities)), service_name_(std::move(service_name)) {
  status_.dwServiceType = SERVICE_WIN32_OWN_PROCESS;
  status_.dwCurrentState = SERVICE_STOPPED;
  status_.dwControlsAccepted = SERVICE_ACCEPT_STOP;
  status_.dwWin32ExitCode = 0;
  status_.dwServiceSpecificExitCode = 0;
  status_.dwCheckPoint = 0;
  status_.dwWaitHint = 0;
  main_thread_id_ = facilities_.loop->AttachCurrentThread();
}

bool CKovaProviderModule::Initialized() const {
  return !service_name_.empty() && service_name_.size() <= kMaxServiceNameLength;
}

bool CKovaProviderModule::ParseCommandLine(const std::string& command_line, HRESULT* exit_code) {
  *exit_code = S_OK;
  Logger::Write(LOG_INFO, kRegistrationTag, "ENTERING : ParseCommandLine()");
  for (size_t at = FindNextSwitch(command_line, 0); at != std::string::npos;
       at = FindNextSwitch(command_line, at)) {
    if (SwitchWordIs(command_line, at, "Service")) {
      *exit_code = RegisterEverything();
      return false;
    }
    if (SwitchWordIs(command_line, at, "UnregServer")) {
      *exit_code = UnregisterEverything();
      return false;
    }
  }
  interrogate_logging_ = ReadInterrogateSetting();
  Logger::Write(LOG_INFO, kRegistrationTag, "EXITING : ParseCommandLine()");
  return true;
}

HRESULT CKovaProviderModule::RegisterEverything() {
  HRESULT result = RegisterAppId();
  if (FAILED(result)) return result;
  result = RegisterServer();
  ConfigureService();
  RegisterKovaProvider();
  AddEventSource();
  return result;
}

// A failed step leaves what the later steps would remove in place, so that
// the provider stays whole enough to be removed again.
HRESULT CKovaProviderModule::UnregisterEverything() {
  HRESULT result = UnregisterServer();
  if (FAILED(result)) return result;
  result = UnregisterAppId();
  if (FAILED(result)) return result;
  UnregisterKovaProvider();
  return S_OK;
}

bool CKovaProviderModule::ReadInterrogateSetting() const {
  std::unique_ptr<platform::RegistryKey> key;
  if (platform::MachineRegistry().OpenKey(platform::RegistryRoot::kLocalMachine,
                                          kova::kProviderRootKey, &key) !=
      platform::RegistryStatus::kOk) {
    return false;
  }
  uint32_t type = 0;
  uint8_t data[4] = {};
  uint32_t size = sizeof data;
  if (key->QueryValue(kova::kValueLogInterrogate, &type, data, &size) !=
          platform::RegistryStatus::kOk ||
      type != platform::kRegDword || size != sizeof data) {
    return false;
  }
  uint32_t value = 0;
  std::memcpy(&value, data, sizeof value);
  return value == 1;
}

void CKovaProviderModule::Lock() {
  if (delayed_shutdown_) facilities_.com->AddRefServerProcess();
  ++lock_count_;
}

void CKovaProviderModule::Unlock() {
  const long count = --lock_count_;
  const bool delayed = delayed_shutdown_;
  const long server_count = delayed ? facilities_.com->ReleaseServerProcess() : count;
  if (server_count != 0 || service_mode_) return;
  if (delayed) {
    monitor_.Signal();
  } else {
    facilities_.loop->PostQuit(main_thread_id_);
  }
}

HRESULT CKovaProviderModule::CreateProviderObject(const GUID& iid, void** object) {
  return CServedKovaVssProvider::Create(gate_, *this, iid, object);
}

SERVICE_STATUS CKovaProviderModule::Status() const {
  std::lock_guard<std::mutex> hold(status_mutex_);
  SERVICE_STATUS status = status_;
  status.dwCurrentState = state_;
  return status;
}

void CKovaProviderModule::ReportStatus() {
  std::lock_guard<std::mutex> hold(status_mutex_);
  status_.dwCurrentState = state_;
  facilities_.dispatcher->ReportStatus(status_);
}

void CKovaProviderModule::SetState(uint32_t state) {
  state_ = state;
  ReportStatus();
}

void CKovaProviderModule::LogServiceEvent(const std::string& text) {
  platform::EventLog& events = *facilities_.events;
  const platform::EventLog::Source source = events.Register(service_name_);
  if (source != nullptr) {
    platform::EventReport report;
    report.type = platform::kEventTypeInformation;
    report.category = 0;
    report.event_id = 0;
    report.insertion = text;
    report.text = text;
    events.Report(source, report);
    events.Deregister(source);
  }
  if (!service_mode_) *facilities_.console << text << std::endl;
}

void CKovaProviderModule::ShowMessage(const char* text, bool error_icon) {
  facilities_.boxes->Show(error_icon ? platform::MessageKind::kError : platform::MessageKind::kInformation,
                          text, service_name_);
}

}  // namespace kova_service
