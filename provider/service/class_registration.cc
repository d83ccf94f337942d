#include "provider/service/class_registration.h"

#include "platform/guid.h"
#include "platform/registry_error.h"
#include "provider/service/provider_identities.h"
#include "provider/vss/ikova_vss_provider.h"

namespace kova_service {
namespace {

HRESULT FromStatus(platform::RegistryStatus status) {
  return platform::HresultFromWin32(platform::Win32ErrorOfRegistryStatus(status));
}

platform::RegistryStatus WriteClassKey(platform::Registry& registry, const ClassKey& key) {
  using platform::RegistryStatus;
  if (key.replaced_whole) {
    const RegistryStatus deleted = registry.DeleteTree(platform::RegistryRoot::kClassesRoot, key.path);
    if (deleted != RegistryStatus::kOk && deleted != RegistryStatus::kNotFound) return deleted;
  }
  std::unique_ptr<platform::RegistryKey> opened;
  RegistryStatus status = registry.CreateKey(platform::RegistryRoot::kClassesRoot, key.path,
                                             platform::KeyProtection::kDefault, &opened);
  for (const ClassKeyValue& value : key.values) {
    if (status != RegistryStatus::kOk) break;
    status = platform::WriteStringValue(*opened, value.name, value.text);
  }
  return status;
}

}  // namespace

std::string KovaProviderClassKeyPath() {
  return "CLSID\\" + platform::GuidToString(CLSID_KovaVssProvider);
}

std::vector<ClassKey> KovaProviderClassKeys(const std::string& program_path) {
  const std::string clsid = KovaProviderClassKeyPath();
  return {
      {clsid, true, {{"", "KovaVssProvider Class"}, {"AppID", kAppId}}},
      {clsid + "\\Programmable", true, {}},
      {clsid + "\\LocalServer32", false,
       {{"", "\"" + program_path + "\""}, {"ServerExecutable", program_path}}},
      {clsid + "\\TypeLib", false, {{"", platform::GuidToString(LIBID_KovaProviderLib)}}},
      {clsid + "\\Version", false, {{"", "1.0"}}},
  };
}

HRESULT RegisterClassKeys(platform::Registry& registry, const std::vector<ClassKey>& keys) {
  for (const ClassKey& key : keys) {
    const platform::RegistryStatus status = WriteClassKey(registry, key);
    if (status != platform::RegistryStatus::kOk) return FromStatus(status);
  }
  return S_OK;
}

HRESULT UnregisterClassKeys(platform::Registry& registry) {
  const platform::RegistryStatus status =
      registry.DeleteTree(platform::RegistryRoot::kClassesRoot, KovaProviderClassKeyPath());
  if (status == platform::RegistryStatus::kNotFound) return S_OK;
  return FromStatus(status);
}

platform::TypeLibraryDescription KovaProviderLibrary() {
  platform::TypeLibraryDescription library;
  library.library_id = LIBID_KovaProviderLib;
  library.major = 1;
  library.minor = 0;
  library.help_string = kTypeLibraryHelpString;
  library.interfaces = {{IID_IKovaVssProvider, "IKovaVssProvider"}};
  return library;
}

}  // namespace kova_service
