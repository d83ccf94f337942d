#include <windows.h>

#include <objbase.h>
#include <vsadmin.h>

#include "platform/com_class_client.h"
#include "platform/wide_text_win.h"
#include "platform/vss_coordinator.h"

namespace platform {
namespace {

class CoordinatorAdministration : public VssAdministration {
 public:
  explicit CoordinatorAdministration(IVssAdmin* admin) : admin_(admin) {}
  ~CoordinatorAdministration() override { admin_->Release(); }

  HRESULT RegisterProvider(const VssProviderRegistration& provider) override {
    std::wstring name = Wide(provider.name);
    std::wstring version = Wide(provider.version);
    return admin_->RegisterProvider(provider.provider_id, provider.class_id, &name[0],
                                    static_cast<VSS_PROVIDER_TYPE>(provider.type), &version[0],
                                    provider.version_id);
  }

  HRESULT UnregisterProvider(const GUID& provider_id) override {
    return admin_->UnregisterProvider(provider_id);
  }

 private:
  IVssAdmin* admin_;
};

class ComVssCoordinator : public VssCoordinator {
 public:
  std::unique_ptr<VssAdministration> Connect(HRESULT* result) override {
    void* admin = nullptr;
    *result = CreateLocalServerObject(kVssCoordinatorClassId, kIVssAdmin, &admin);
    if (FAILED(*result) || admin == nullptr) return nullptr;
    return std::make_unique<CoordinatorAdministration>(static_cast<IVssAdmin*>(admin));
  }
};

}  // namespace

VssCoordinator& SystemVssCoordinator() {
  static VssCoordinator* const coordinator = new ComVssCoordinator;
  return *coordinator;
}

}  // namespace platform
