#include "tools/KovaVssShadow/provider_session.h"

ProviderSession::~ProviderSession() { Close(); }

HRESULT ProviderSession::Open(const ProviderFactory& factory, std::string* step) {
  Close();
  void* object = nullptr;
  HRESULT result = factory ? factory(IID_IVssHardwareSnapshotProviderEx, &object) : E_POINTER;
  if (FAILED(result) || object == nullptr) {
    *step = "CreateKovaVssProviderInstance";
    return FAILED(result) ? result : E_POINTER;
  }
  hardware_ = static_cast<IVssHardwareSnapshotProviderEx*>(object);
  object = nullptr;
  result = hardware_->QueryInterface(IID_IVssProviderCreateSnapshotSet, &object);
  if (SUCCEEDED(result) && object != nullptr) {
    snapshot_set_ = static_cast<IVssProviderCreateSnapshotSet*>(object);
    object = nullptr;
    result = hardware_->QueryInterface(IID_IVssProviderNotifications, &object);
    if (SUCCEEDED(result) && object != nullptr) {
      notifications_ = static_cast<IVssProviderNotifications*>(object);
      return S_OK;
    }
    *step = "QueryInterface(IVssProviderNotifications)";
  } else {
    *step = "QueryInterface(IVssProviderCreateSnapshotSet)";
  }
  Close();
  return FAILED(result) ? result : E_NOINTERFACE;
}

void ProviderSession::Close() {
  // The interface the object was made through goes last.
  if (notifications_ != nullptr) notifications_->Release();
  if (snapshot_set_ != nullptr) snapshot_set_->Release();
  if (hardware_ != nullptr) hardware_->Release();
  notifications_ = nullptr;
  snapshot_set_ = nullptr;
  hardware_ = nullptr;
}
