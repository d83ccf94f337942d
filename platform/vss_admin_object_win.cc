#include <windows.h>

#include <objbase.h>
#include <vsadmin.h>

#include <new>
#include <utility>

#include "platform/com_object_win.h"
#include "platform/vss_admin_object.h"
#include "platform/wide_text_win.h"

namespace platform {
namespace {

std::string TextOf(const wchar_t* text) { return text == nullptr ? std::string() : Narrow(std::wstring(text)); }

// The server learns of the last release from the destructor.
class AdministrationObject : public ComObject<IVssAdmin> {
 public:
  AdministrationObject(std::shared_ptr<VssAdministration> administration, std::function<void()> on_last_release)
      : ComObject<IVssAdmin>(kIVssAdmin),
        administration_(std::move(administration)),
        on_last_release_(std::move(on_last_release)) {}
  ~AdministrationObject() override {
    if (on_last_release_) on_last_release_();
  }

  HRESULT STDMETHODCALLTYPE RegisterProvider(VSS_ID provider_id, CLSID class_id, VSS_PWSZ name,
                                             VSS_PROVIDER_TYPE type, VSS_PWSZ version,
                                             VSS_ID version_id) override {
    VssProviderRegistration provider;
    provider.provider_id = provider_id;
    provider.class_id = class_id;
    provider.name = TextOf(name);
    provider.type = static_cast<int>(type);
    provider.version = TextOf(version);
    provider.version_id = version_id;
    return administration_->RegisterProvider(provider);
  }
  HRESULT STDMETHODCALLTYPE UnregisterProvider(VSS_ID provider_id) override {
    return administration_->UnregisterProvider(provider_id);
  }
  HRESULT STDMETHODCALLTYPE QueryProviders(IVssEnumObject** providers) override {
    if (providers != nullptr) *providers = nullptr;
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE AbortAllSnapshotsInProgress() override { return E_NOTIMPL; }

 private:
  std::shared_ptr<VssAdministration> administration_;
  std::function<void()> on_last_release_;
};

}  // namespace

HRESULT CreateVssAdminObject(std::shared_ptr<VssAdministration> administration,
                             std::function<void()> on_last_release, const GUID& iid, void** object) {
  if (object == nullptr) {
    if (on_last_release) on_last_release();
    return E_POINTER;
  }
  *object = nullptr;
  auto* made = new (std::nothrow) AdministrationObject(std::move(administration), std::move(on_last_release));
  if (made == nullptr) {
    if (on_last_release) on_last_release();
    return E_OUTOFMEMORY;
  }
  const HRESULT result = made->QueryInterface(iid, object);
  made->Release();  // the caller's reference, if any, keeps it
  return result;
}

}  // namespace platform
