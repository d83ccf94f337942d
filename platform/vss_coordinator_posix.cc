#include "platform/vss_coordinator.h"
#include "platform/vss_provider_store.h"

namespace platform {
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

class RegistryVssCoordinator : public VssCoordinator {
 public:
  std::unique_ptr<VssAdministration> Connect(HRESULT* result) override {
    *result = S_OK;
    return std::make_unique<RegistryVssAdministration>();
  }
};

}  // namespace

VssCoordinator& SystemVssCoordinator() {
  static VssCoordinator* const coordinator = new RegistryVssCoordinator;
  return *coordinator;
}

}  // namespace platform
