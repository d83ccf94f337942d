#include "provider/service/served_kova_vss_provider.h"

#include <new>

#include "library/log/log_tags.h"
#include "library/log/logger.h"
#include "provider/vss/kova_vss_provider_factory.h"

namespace kova_service {
namespace {

template <typename Interface>
void ReleaseInterface(Interface*& pointer) {
  if (pointer != nullptr) pointer->Release();
  pointer = nullptr;
}

}  // namespace

HRESULT CServedKovaVssProvider::Create(ProviderCallGate& gate, ModuleLock& module, REFIID iid,
                                       void** object) {
  if (object == nullptr) return E_POINTER;
  *object = nullptr;
  void* inner = nullptr;
  HRESULT hr = CreateKovaVssProviderInstance(IID_IKovaVssProvider, &inner);
  if (FAILED(hr)) return hr;
  auto* served = new (std::nothrow) CServedKovaVssProvider(gate, module);
  if (served == nullptr) {
    static_cast<IKovaVssProvider*>(inner)->Release();
    return E_OUTOFMEMORY;
  }
  served->AddRef();
  hr = served->Attach(static_cast<IKovaVssProvider*>(inner));
  if (SUCCEEDED(hr)) hr = served->QueryInterface(iid, object);
  served->Release();
  return hr;
}

CServedKovaVssProvider::CServedKovaVssProvider(ProviderCallGate& gate, ModuleLock& module)
    : gate_(gate), module_(module) {
  module_.Lock();
}

CServedKovaVssProvider::~CServedKovaVssProvider() {
  ReleaseInterface(notifications_);
  ReleaseInterface(snapshot_set_);
  ReleaseInterface(hardware_);
  ReleaseInterface(provider_);
  module_.Unlock();
}

HRESULT CServedKovaVssProvider::Attach(IKovaVssProvider* inner) {
  provider_ = inner;
  HRESULT hr = inner->QueryInterface(IID_IVssHardwareSnapshotProviderEx,
                                     reinterpret_cast<void**>(&hardware_));
  if (SUCCEEDED(hr)) {
    hr = inner->QueryInterface(IID_IVssProviderCreateSnapshotSet,
                               reinterpret_cast<void**>(&snapshot_set_));
  }
  if (SUCCEEDED(hr)) {
    hr = inner->QueryInterface(IID_IVssProviderNotifications,
                               reinterpret_cast<void**>(&notifications_));
  }
  return hr;
}

HRESULT CServedKovaVssProvider::QueryInterface(REFIID iid, void** object) {
  if (object == nullptr) return E_POINTER;
  if (iid == IID_IUnknown || iid == IID_IKovaVssProvider) {
    *object = static_cast<IKovaVssProvider*>(this);
  } else if (iid == IID_IVssProviderCreateSnapshotSet) {
    *object = static_cast<IVssProviderCreateSnapshotSet*>(this);
  } else if (iid == IID_IVssHardwareSnapshotProvider || iid == IID_IVssHardwareSnapshotProviderEx) {
    *object = static_cast<IVssHardwareSnapshotProviderEx*>(this);
  } else if (iid == IID_IVssProviderNotifications) {
    *object = static_cast<IVssProviderNotifications*>(this);
  } else {
    *object = nullptr;
    return E_NOINTERFACE;
  }
  AddRef();
  return S_OK;
}

ULONG CServedKovaVssProvider::AddRef() { return ++ref_count_; }

ULONG CServedKovaVssProvider::Release() {
  const ULONG count = --ref_count_;
  if (count == 0) delete this;
  return count;
}

template <typename Call>
HRESULT CServedKovaVssProvider::Pass(const char* method, Call call) {
  GatePass pass(gate_);
  if (!pass.admitted()) {
    Logger::Write(LOG_WARN, kProviderLogTag,
                  "CServedKovaVssProvider::%hs refused: the service is stopping", method);
    return VSS_E_PROVIDER_VETO;
  }
  return call();
}

HRESULT CServedKovaVssProvider::AreLunsSupported(LONG lun_count, LONG context, VSS_PWSZ* devices,
                                                 VDS_LUN_INFORMATION* luns, BOOL* is_supported) {
  return Pass("AreLunsSupported", [&] {
    return hardware_->AreLunsSupported(lun_count, context, devices, luns, is_supported);
  });
}

HRESULT CServedKovaVssProvider::FillInLunInfo(VSS_PWSZ device, VDS_LUN_INFORMATION* lun,
                                              BOOL* is_supported) {
  return Pass("FillInLunInfo", [&] { return hardware_->FillInLunInfo(device, lun, is_supported); });
}

HRESULT CServedKovaVssProvider::BeginPrepareSnapshot(VSS_ID snapshot_set_id, VSS_ID snapshot_id,
                                                     LONG context, LONG lun_count,
                                                     VSS_PWSZ* devices,
                                                     VDS_LUN_INFORMATION* luns) {
  return Pass("BeginPrepareSnapshot", [&] {
    return hardware_->BeginPrepareSnapshot(snapshot_set_id, snapshot_id, context, lun_count,
                                           devices, luns);
  });
}

HRESULT CServedKovaVssProvider::GetTargetLuns(LONG lun_count, VSS_PWSZ* devices,
                                              VDS_LUN_INFORMATION* source_luns,
                                              VDS_LUN_INFORMATION* destination_luns) {
  return Pass("GetTargetLuns", [&] {
    return hardware_->GetTargetLuns(lun_count, devices, source_luns, destination_luns);
  });
}

HRESULT CServedKovaVssProvider::LocateLuns(LONG lun_count, VDS_LUN_INFORMATION* source_luns) {
  return Pass("LocateLuns", [&] { return hardware_->LocateLuns(lun_count, source_luns); });
}

HRESULT CServedKovaVssProvider::OnLunEmpty(VSS_PWSZ device, VDS_LUN_INFORMATION* lun) {
  return Pass("OnLunEmpty", [&] { return hardware_->OnLunEmpty(device, lun); });
}

HRESULT CServedKovaVssProvider::GetProviderCapabilities(ULONGLONG* original_capability_mask) {
  return Pass("GetProviderCapabilities",
              [&] { return hardware_->GetProviderCapabilities(original_capability_mask); });
}

HRESULT CServedKovaVssProvider::OnLunStateChange(VDS_LUN_INFORMATION* snapshot_luns,
                                                 VDS_LUN_INFORMATION* original_luns, DWORD count,
                                                 DWORD flags) {
  return Pass("OnLunStateChange", [&] {
    return hardware_->OnLunStateChange(snapshot_luns, original_luns, count, flags);
  });
}

HRESULT CServedKovaVssProvider::ResyncLuns(VDS_LUN_INFORMATION* source_luns,
                                           VDS_LUN_INFORMATION* target_luns, DWORD count,
                                           IVssAsync** async) {
  return Pass("ResyncLuns",
              [&] { return hardware_->ResyncLuns(source_luns, target_luns, count, async); });
}

HRESULT CServedKovaVssProvider::OnReuseLuns(VDS_LUN_INFORMATION* snapshot_luns,
                                            VDS_LUN_INFORMATION* original_luns, DWORD count) {
  return Pass("OnReuseLuns",
              [&] { return hardware_->OnReuseLuns(snapshot_luns, original_luns, count); });
}

HRESULT CServedKovaVssProvider::EndPrepareSnapshots(VSS_ID snapshot_set_id) {
  return Pass("EndPrepareSnapshots",
              [&] { return snapshot_set_->EndPrepareSnapshots(snapshot_set_id); });
}

HRESULT CServedKovaVssProvider::PreCommitSnapshots(VSS_ID snapshot_set_id) {
  return Pass("PreCommitSnapshots",
              [&] { return snapshot_set_->PreCommitSnapshots(snapshot_set_id); });
}

HRESULT CServedKovaVssProvider::CommitSnapshots(VSS_ID snapshot_set_id) {
  return Pass("CommitSnapshots", [&] { return snapshot_set_->CommitSnapshots(snapshot_set_id); });
}

HRESULT CServedKovaVssProvider::PostCommitSnapshots(VSS_ID snapshot_set_id, LONG snapshots_count) {
  return Pass("PostCommitSnapshots", [&] {
    return snapshot_set_->PostCommitSnapshots(snapshot_set_id, snapshots_count);
  });
}

HRESULT CServedKovaVssProvider::PreFinalCommitSnapshots(VSS_ID snapshot_set_id) {
  return Pass("PreFinalCommitSnapshots",
              [&] { return snapshot_set_->PreFinalCommitSnapshots(snapshot_set_id); });
}

HRESULT CServedKovaVssProvider::PostFinalCommitSnapshots(VSS_ID snapshot_set_id) {
  return Pass("PostFinalCommitSnapshots",
              [&] { return snapshot_set_->PostFinalCommitSnapshots(snapshot_set_id); });
}

HRESULT CServedKovaVssProvider::AbortSnapshots(VSS_ID snapshot_set_id) {
  return Pass("AbortSnapshots", [&] { return snapshot_set_->AbortSnapshots(snapshot_set_id); });
}

HRESULT CServedKovaVssProvider::OnLoad(IUnknown* callback) {
  return Pass("OnLoad", [&] { return notifications_->OnLoad(callback); });
}

HRESULT CServedKovaVssProvider::OnUnload(BOOL force_unload) {
  return Pass("OnUnload", [&] { return notifications_->OnUnload(force_unload); });
}

}  // namespace kova_service
