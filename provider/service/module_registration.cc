// The COM side of registration: the class and its type library, and the
// AppID that tells COM the class is served by the service.
#include <memory>

#include "platform/registry.h"
#include "platform/registry_error.h"
#include "provider/service/class_registration.h"
#include "provider/service/kova_provider_module.h"
#include "provider/service/provider_identities.h"

namespace kova_service {
namespace {

constexpr char kAppIdRoot[] = "AppID";
constexpr char kLocalServiceValue[] = "LocalService";

HRESULT FromStatus(platform::RegistryStatus status) {
  return platform::HresultFromWin32(platform::Win32ErrorOfRegistryStatus(status));
}

std::string AppIdKeyPath() { return std::string(kAppIdRoot) + "\\" + kAppId; }

}  // namespace

HRESULT CKovaProviderModule::RegisterAppId() {
  if (!Uninstall()) return E_FAIL;
  // The AppID's registration script is empty: its key and value are ours.
  // HKCR\AppID exists on every Windows; a fresh POSIX hive lacks it.
  platform::Registry& registry = platform::MachineRegistry();
  std::unique_ptr<platform::RegistryKey> key;
  platform::RegistryStatus status = registry.CreateKey(
      platform::RegistryRoot::kClassesRoot, kAppIdRoot, platform::KeyProtection::kDefault, &key);
  if (status != platform::RegistryStatus::kOk) return FromStatus(status);
  status = registry.CreateKey(platform::RegistryRoot::kClassesRoot, AppIdKeyPath(),
                              platform::KeyProtection::kDefault, &key);
  if (status != platform::RegistryStatus::kOk) return FromStatus(status);
  key->DeleteValue(kLocalServiceValue);
  // Without the value the program would later run as a plain local server.
  status = platform::WriteStringValue(*key, kLocalServiceValue, service_name_);
  if (status != platform::RegistryStatus::kOk) return FromStatus(status);
  return Install() ? S_OK : E_FAIL;
}

HRESULT CKovaProviderModule::UnregisterAppId() {
  if (!Uninstall()) return E_FAIL;
  std::unique_ptr<platform::RegistryKey> key;
  const platform::RegistryStatus status = platform::MachineRegistry().OpenKey(
      platform::RegistryRoot::kClassesRoot, AppIdKeyPath(), &key);
  // An AppID that is already gone has nothing left to remove.
  if (status == platform::RegistryStatus::kNotFound) return S_OK;
  if (status != platform::RegistryStatus::kOk) return FromStatus(status);
  key->DeleteValue(kLocalServiceValue);
  return S_OK;
}

HRESULT CKovaProviderModule::RegisterServer() {
  HRESULT result = RegisterClassKeys(platform::MachineRegistry(),
                                     KovaProviderClassKeys(facilities_.program_path));
  if (FAILED(result)) return result;
  return facilities_.type_libraries->Register(KovaProviderLibrary(), facilities_.program_path);
}

HRESULT CKovaProviderModule::UnregisterServer() {
  const HRESULT result = UnregisterClassKeys(platform::MachineRegistry());
  if (FAILED(result)) return result;
  return facilities_.type_libraries->Unregister(KovaProviderLibrary());
}

HRESULT CKovaProviderModule::ReadServiceMode(bool* service_mode) const {
  platform::Registry& registry = platform::MachineRegistry();
  std::unique_ptr<platform::RegistryKey> key;
  platform::RegistryStatus status =
      registry.OpenKey(platform::RegistryRoot::kClassesRoot, kAppIdRoot, &key);
  if (status == platform::RegistryStatus::kOk) {
    status = registry.OpenKey(platform::RegistryRoot::kClassesRoot, AppIdKeyPath(), &key);
  }
  if (status != platform::RegistryStatus::kOk) {
    return static_cast<HRESULT>(platform::Win32ErrorOfRegistryStatus(status));
  }
  // A string of at most 260 characters and its terminator.
  uint8_t data[261 * 2];
  uint32_t size = sizeof data;
  uint32_t type = 0;
  *service_mode = key->QueryValue(kLocalServiceValue, &type, data, &size) ==
                      platform::RegistryStatus::kOk &&
                  (type == platform::kRegSz || type == platform::kRegExpandSz) && size >= 2 &&
                  size % 2 == 0 && data[size - 1] == 0 && data[size - 2] == 0;
  return S_OK;
}

}  // namespace kova_service
