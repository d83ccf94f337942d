#include "platform/vss_provider_store.h"

#include <cstring>

#include "platform/registry_error.h"

namespace platform {
namespace {

HRESULT FromStatus(RegistryStatus status) {
  return HresultFromWin32(Win32ErrorOfRegistryStatus(status));
}

RegistryStatus WriteDword(RegistryKey& key, const std::string& name, uint32_t value) {
  uint8_t bytes[4];
  std::memcpy(bytes, &value, sizeof bytes);
  return key.SetValue(name, kRegDword, bytes, sizeof bytes);
}

RegistryStatus WriteRecord(Registry& registry, const std::string& path,
                           const VssProviderRegistration& provider) {
  std::unique_ptr<RegistryKey> key;
  RegistryStatus status =
      registry.CreateKey(RegistryRoot::kLocalMachine, path, KeyProtection::kDefault, &key);
  if (status == RegistryStatus::kOk) status = WriteStringValue(*key, "", provider.name);
  if (status == RegistryStatus::kOk)
    status = WriteDword(*key, "Type", static_cast<uint32_t>(provider.type));
  if (status == RegistryStatus::kOk) status = WriteStringValue(*key, "Version", provider.version);
  if (status == RegistryStatus::kOk)
    status = WriteStringValue(*key, "VersionId", GuidToString(provider.version_id));
  std::unique_ptr<RegistryKey> clsid;
  if (status == RegistryStatus::kOk) {
    status = registry.CreateKey(RegistryRoot::kLocalMachine, path + "\\CLSID",
                                KeyProtection::kDefault, &clsid);
  }
  if (status == RegistryStatus::kOk)
    status = WriteStringValue(*clsid, "", GuidToString(provider.class_id));
  return status;
}

}  // namespace

std::string VssProviderKeyPath(const GUID& provider_id) {
  return std::string(kVssProvidersKey) + "\\" + GuidToString(provider_id);
}

HRESULT RecordVssProvider(Registry& registry, const VssProviderRegistration& provider) {
  const std::string path = VssProviderKeyPath(provider.provider_id);
  std::unique_ptr<RegistryKey> existing;
  const RegistryStatus found = registry.OpenKey(RegistryRoot::kLocalMachine, path, &existing);
  if (found == RegistryStatus::kOk) return VSS_E_PROVIDER_ALREADY_REGISTERED;
  if (found != RegistryStatus::kNotFound) return FromStatus(found);
  const RegistryStatus status = WriteRecord(registry, path, provider);
  if (status == RegistryStatus::kOk) return S_OK;
  // Half a record would read as registered.
  registry.DeleteTree(RegistryRoot::kLocalMachine, path);
  return FromStatus(status);
}

namespace {

class RegistryVssAdministration : public VssAdministration {
 public:
  HRESULT RegisterProvider(const VssProviderRegistration& provider) override {
    return RecordVssProvider(MachineRegistry(), provider);
  }
  HRESULT UnregisterProvider(const GUID& provider_id) override {
    return ForgetVssProvider(MachineRegistry(), provider_id);
  }
};

class KeyKeepingVssCoordinator : public VssCoordinator {
 public:
  std::unique_ptr<VssAdministration> Connect(HRESULT* result) override {
    *result = S_OK;
    return std::make_unique<RegistryVssAdministration>();
  }
};

}  // namespace

VssCoordinator& RegistryVssCoordinator() {
  static VssCoordinator* const coordinator = new KeyKeepingVssCoordinator;
  return *coordinator;
}

HRESULT ForgetVssProvider(Registry& registry, const GUID& provider_id) {
  const RegistryStatus status =
      registry.DeleteTree(RegistryRoot::kLocalMachine, VssProviderKeyPath(provider_id));
  if (status == RegistryStatus::kNotFound) return VSS_E_PROVIDER_NOT_REGISTERED;
  return FromStatus(status);
}

}  // namespace platform
