// The service's own registration with the service control manager.
#include <memory>

#include "library/log/printf_format.h"
#include "library/version.h"
#include "platform/utf16.h"
#include "provider/service/kova_provider_module.h"
#include "provider/service/provider_identities.h"

namespace kova_service {
namespace {

// How long a reinstallation waits for the running service to stop before it
// deletes it: a service deleted while it runs is only marked for deletion,
// and creating it again would fail until it has stopped.
constexpr uint32_t kStopBeforeDeleteMs = 30000;

constexpr char kMakersNotice[] =
    "Hardware snapshots of Kova Storage Lumenstack volumes for the Volume Shadow Copy Service.";

}  // namespace

bool CKovaProviderModule::Install() {
  platform::ServiceInstaller& services = *facilities_.services;
  if (services.IsInstalled(service_name_)) return true;
  const std::string& path = facilities_.program_path;
  if (path.empty() || platform::Utf8ToUtf16(path).size() > kMaxProgramPathLength) return false;
  std::unique_ptr<platform::ServiceDatabase> database = services.OpenDatabase();
  if (!database) {
    ShowMessage("Could not open Service Manager");
    return false;
  }
  platform::ServiceDefinition definition;
  definition.name = service_name_;
  definition.display_name = service_name_;
  definition.binary_path = "\"" + path + "\"";
  definition.start_type = platform::ServiceStartType::kDemand;
  definition.dependencies = {"RPCSS"};
  created_service_ = database->Create(definition);
  if (!created_service_) {
    ShowMessage("Could not start service");
    return false;
  }
  return true;
}

bool CKovaProviderModule::Uninstall() {
  platform::ServiceInstaller& services = *facilities_.services;
  if (!services.IsInstalled(service_name_)) return true;
  std::unique_ptr<platform::ServiceDatabase> database = services.OpenDatabase();
  if (!database) {
    ShowMessage("Could not open Service Manager");
    return false;
  }
  std::unique_ptr<platform::InstalledService> service =
      database->Open(service_name_, platform::ServiceRights::kStopAndDelete);
  if (!service) {
    ShowMessage("Could not open service");
    return false;
  }
  const platform::ServiceStopResult stopped = service->Stop();
  if (stopped == platform::ServiceStopResult::kFailed) ShowMessage("Could not stop service");
  if (stopped == platform::ServiceStopResult::kRequested ||
      stopped == platform::ServiceStopResult::kAlreadyStopping) {
    service->WaitUntilStopped(kStopBeforeDeleteMs);
  }
  if (!service->Delete()) {
    ShowMessage("Could not delete service");
    return false;
  }
  return true;
}

void CKovaProviderModule::ConfigureService() {
  std::unique_ptr<platform::ServiceDatabase> database = facilities_.services->OpenDatabase();
  if (!database) {
    ShowMessage("Could not open Service Manager");
    return;
  }
  std::unique_ptr<platform::InstalledService> service = std::move(created_service_);
  if (!service) service = database->Open(service_name_, platform::ServiceRights::kChangeConfiguration);
  if (!service) {
    ShowMessage("Could not open service");
    return;
  }
  service->SetDescription(ServiceDescription());
  if (!service->ChangeConfiguration(platform::ServiceStartType::kAutomatic, {"VSS"},
                                    kServiceDisplayName)) {
    ShowMessage("Could not change service configuration", true);
  }
}

std::string CKovaProviderModule::ServiceDescription() const {
  return FormatPrintf("Kova Storage VSS Hardware Provider (64-bit) version 1.0.3%hs",
                      {FormatArg(kova::kBuildString)}) +
         "\n" + kMakersNotice + "\n\n";
}

}  // namespace kova_service
