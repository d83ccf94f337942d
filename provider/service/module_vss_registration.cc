// The provider's registration with the VSS coordinator.
#include <memory>

#include "library/log/logger.h"
#include "provider/service/kova_provider_module.h"
#include "provider/service/provider_identities.h"
#include "provider/service/service_log_tags.h"

namespace kova_service {
namespace {

platform::VssProviderRegistration KovaProviderRegistration() {
  platform::VssProviderRegistration provider;
  provider.provider_id = kVssProviderId;
  provider.class_id = CLSID_KovaVssProvider;
  provider.name = kServiceDisplayName;
  provider.type = kVssProviderTypeHardware;
  provider.version = kVssProviderVersion;
  provider.version_id = kVssProviderVersionId;
  return provider;
}

}  // namespace

void CKovaProviderModule::RegisterKovaProvider() {
  Logger::Write(LOG_DEBUG, kRegistrationTag, "ENTERING: RegisterKovaProvider()");
  const HRESULT initialized = facilities_.com->InitializeApartment(false);
  HRESULT result = S_OK;
  std::unique_ptr<platform::VssAdministration> admin = facilities_.vss->Connect(&result);
  if (!admin) {
    Logger::Write(LOG_ERROR, kRegistrationTag,
                  "KOVASTORAGE ERROR: Failed to get reference to IVssAdmin: %x", result);
  } else {
    // An already registered provider is only logged.
    result = admin->RegisterProvider(KovaProviderRegistration());
    Logger::Write(LOG_INFO, kRegistrationTag, "KOVASTORAGE INFORM: Registration return code: %x",
                  result);
  }
  admin.reset();
  Logger::Write(LOG_DEBUG, kRegistrationTag, "EXITING: RegisterKovaProvider()");
  if (SUCCEEDED(initialized)) facilities_.com->UninitializeApartment();
}

void CKovaProviderModule::UnregisterKovaProvider() {
  Logger::Write(LOG_DEBUG, kRegistrationTag, "ENTERING: UnregisterKovaProvider()");
  const HRESULT initialized = facilities_.com->InitializeApartment(false);
  HRESULT result = S_OK;
  std::unique_ptr<platform::VssAdministration> admin = facilities_.vss->Connect(&result);
  if (admin) result = admin->UnregisterProvider(kVssProviderId);
  admin.reset();
  Logger::Write(LOG_DEBUG, kRegistrationTag, "EXITING: UnregisterKovaProvider() - HR=%08x.",
                result);
  if (SUCCEEDED(initialized)) facilities_.com->UninitializeApartment();
}

}  // namespace kova_service
