// The VSS coordinator's administration interface (IVssAdmin), through which
// a provider registers itself with VSS and removes its registration.
//
// Windows: CoCreateInstance(CLSID_VSSCoordinator, CLSCTX_LOCAL_SERVER) for
// IVssAdmin on a thread whose apartment the caller has initialised.
// POSIX: the coordinator is the registry: providers are recorded as VSS
// keeps them (vss_provider_store.h).
#pragma once

#include <memory>
#include <string>

#include "platform/guid.h"
#include "platform/hresult.h"

#ifndef _WIN32
constexpr HRESULT VSS_E_PROVIDER_ALREADY_REGISTERED = static_cast<HRESULT>(0x80042303);
constexpr HRESULT VSS_E_PROVIDER_NOT_REGISTERED = static_cast<HRESULT>(0x80042304);
#else
#include <vsserror.h>
#endif

namespace platform {

// {E579AB5F-1CC4-44B4-BED9-DE0991FF0623}: CLSID_VSSCoordinator.
inline constexpr GUID kVssCoordinatorClassId = {
    0xE579AB5F, 0x1CC4, 0x44B4, {0xBE, 0xD9, 0xDE, 0x09, 0x91, 0xFF, 0x06, 0x23}};
// {77ED5996-2F63-11D3-8A39-00C04F72D8E3}: IID_IVssAdmin.
inline constexpr GUID kIVssAdmin = {
    0x77ED5996, 0x2F63, 0x11D3, {0x8A, 0x39, 0x00, 0xC0, 0x4F, 0x72, 0xD8, 0xE3}};

struct VssProviderRegistration {
  GUID provider_id;
  GUID class_id;
  std::string name;
  int type = 0;  // VSS_PROVIDER_TYPE
  std::string version;
  GUID version_id;
};

class VssAdministration {
 public:
  virtual ~VssAdministration() = default;
  // S_OK, VSS_E_PROVIDER_ALREADY_REGISTERED, or another failure.
  virtual HRESULT RegisterProvider(const VssProviderRegistration& provider) = 0;
  // S_OK, VSS_E_PROVIDER_NOT_REGISTERED, or another failure.
  virtual HRESULT UnregisterProvider(const GUID& provider_id) = 0;
};

class VssCoordinator {
 public:
  virtual ~VssCoordinator() = default;
  // The coordinator's administration interface; null with the failure in
  // |*result| when the coordinator cannot be created.
  virtual std::unique_ptr<VssAdministration> Connect(HRESULT* result) = 0;
};

VssCoordinator& SystemVssCoordinator();

}  // namespace platform
