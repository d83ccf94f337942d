// The VSS providers of a machine as VSS records them in the registry, under
// HKLM\SYSTEM\CurrentControlSet\Services\VSS\Providers\{provider id}: the
// default value the provider's name, "Type" (REG_DWORD), "Version" and
// "VersionId" (REG_SZ), and the subkey "CLSID" whose default value is the
// class identifier. The coordinator of POSIX and the test stand-in of the
// Windows coordinator both keep providers so.
#pragma once

#include "platform/registry.h"
#include "platform/vss_coordinator.h"

namespace platform {

inline constexpr char kVssProvidersKey[] = "SYSTEM\\CurrentControlSet\\Services\\VSS\\Providers";

// The provider's key path below HKEY_LOCAL_MACHINE.
std::string VssProviderKeyPath(const GUID& provider_id);

// VSS_E_PROVIDER_ALREADY_REGISTERED when the provider's key exists; a
// registry failure as HRESULT_FROM_WIN32. A failed write leaves no key.
HRESULT RecordVssProvider(Registry& registry, const VssProviderRegistration& provider);
// VSS_E_PROVIDER_NOT_REGISTERED when there is no key for it.
HRESULT ForgetVssProvider(Registry& registry, const GUID& provider_id);

// A coordinator that keeps its providers so in the machine registry.
VssCoordinator& RegistryVssCoordinator();

}  // namespace platform
