#include <windows.h>

#include <objbase.h>
#include <vsadmin.h>

#include "platform/wide_text_win.h"
#include "platform/vss_coordinator.h"

namespace platform {
namespace {

// {E579AB5F-1CC4-44B4-BED9-DE0991FF0623}
constexpr CLSID kVssCoordinator = {
    0xE579AB5F, 0x1CC4, 0x44B4, {0xBE, 0xD9, 0xDE, 0x09, 0x91, 0xFF, 0x06, 0x23}};
// {77ED5996-2F63-11D3-8A39-00C04F72D8E3}
constexpr IID kIVssAdmin = {
    0x77ED5996, 0x2F63, 0x11D3, {0x8A, 0x39, 0x00, 0xC0, 0x4F, 0x72, 0xD8, 0xE3}};

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
    IVssAdmin* admin = nullptr;
    *result = CoCreateInstance(kVssCoordinator, nullptr, CLSCTX_LOCAL_SERVER, kIVssAdmin,
                               reinterpret_cast<void**>(&admin));
    if (FAILED(*result) || admin == nullptr) return nullptr;
    return std::make_unique<CoordinatorAdministration>(admin);
  }
};

}  // namespace

VssCoordinator& SystemVssCoordinator() {
  static VssCoordinator* const coordinator = new ComVssCoordinator;
  return *coordinator;
}

}  // namespace platform
