// CServedKovaVssProvider: the object the service's class object hands to COM
// clients. It owns one CKovaVssProvider and passes every call to it through
// the service's call gate: once the service stops, calls are refused with
// VSS_E_PROVIDER_VETO, and the stop waits for those already inside. It
// holds one module lock for its lifetime, so that a local server ends when
// its last object goes away.
#pragma once

#include <atomic>

#include "platform/vss_compat.h"
#include "provider/service/module_lock.h"
#include "provider/service/provider_call_gate.h"
#include "provider/vss/ikova_vss_provider.h"

namespace kova_service {

class CServedKovaVssProvider final : public IKovaVssProvider,
                                     public IVssHardwareSnapshotProviderEx,
                                     public IVssProviderCreateSnapshotSet,
                                     public IVssProviderNotifications {
 public:
  // Makes a provider object and returns the interface |iid| of the served
  // object in |*object| with one reference. E_POINTER, E_NOINTERFACE,
  // E_OUTOFMEMORY or the provider's creation failure; never throws.
  static HRESULT Create(ProviderCallGate& gate, ModuleLock& module, REFIID iid, void** object);

  // IUnknown, answering in the order of the provider object: IUnknown,
  // IKovaVssProvider, IVssProviderCreateSnapshotSet,
  // IVssHardwareSnapshotProvider, IVssProviderNotifications,
  // IVssHardwareSnapshotProviderEx.
  HRESULT QueryInterface(REFIID iid, void** object) override;
  ULONG AddRef() override;
  ULONG Release() override;

  HRESULT AreLunsSupported(LONG lun_count, LONG context, VSS_PWSZ* devices,
                           VDS_LUN_INFORMATION* luns, BOOL* is_supported) override;
  HRESULT FillInLunInfo(VSS_PWSZ device, VDS_LUN_INFORMATION* lun, BOOL* is_supported) override;
  HRESULT BeginPrepareSnapshot(VSS_ID snapshot_set_id, VSS_ID snapshot_id, LONG context,
                               LONG lun_count, VSS_PWSZ* devices,
                               VDS_LUN_INFORMATION* luns) override;
  HRESULT GetTargetLuns(LONG lun_count, VSS_PWSZ* devices, VDS_LUN_INFORMATION* source_luns,
                        VDS_LUN_INFORMATION* destination_luns) override;
  HRESULT LocateLuns(LONG lun_count, VDS_LUN_INFORMATION* source_luns) override;
  HRESULT OnLunEmpty(VSS_PWSZ device, VDS_LUN_INFORMATION* lun) override;
  HRESULT GetProviderCapabilities(ULONGLONG* original_capability_mask) override;
  HRESULT OnLunStateChange(VDS_LUN_INFORMATION* snapshot_luns, VDS_LUN_INFORMATION* original_luns,
                           DWORD count, DWORD flags) override;
  HRESULT ResyncLuns(VDS_LUN_INFORMATION* source_luns, VDS_LUN_INFORMATION* target_luns,
                     DWORD count, IVssAsync** async) override;
  HRESULT OnReuseLuns(VDS_LUN_INFORMATION* snapshot_luns, VDS_LUN_INFORMATION* original_luns,
                      DWORD count) override;

  HRESULT EndPrepareSnapshots(VSS_ID snapshot_set_id) override;
  HRESULT PreCommitSnapshots(VSS_ID snapshot_set_id) override;
  HRESULT CommitSnapshots(VSS_ID snapshot_set_id) override;
  HRESULT PostCommitSnapshots(VSS_ID snapshot_set_id, LONG snapshots_count) override;
  HRESULT PreFinalCommitSnapshots(VSS_ID snapshot_set_id) override;
  HRESULT PostFinalCommitSnapshots(VSS_ID snapshot_set_id) override;
  HRESULT AbortSnapshots(VSS_ID snapshot_set_id) override;

  HRESULT OnLoad(IUnknown* callback) override;
  HRESULT OnUnload(BOOL force_unload) override;

 private:
  CServedKovaVssProvider(ProviderCallGate& gate, ModuleLock& module);
  ~CServedKovaVssProvider();
  CServedKovaVssProvider(const CServedKovaVssProvider&) = delete;
  CServedKovaVssProvider& operator=(const CServedKovaVssProvider&) = delete;

  // Queries the provider's three interfaces from |inner|, which holds one
  // reference that this call takes over.
  HRESULT Attach(IKovaVssProvider* inner);
  // Runs |call| inside the gate; VSS_E_PROVIDER_VETO once it is closed.
  template <typename Call>
  HRESULT Pass(const char* method, Call call);

  std::atomic<ULONG> ref_count_{0};
  ProviderCallGate& gate_;
  ModuleLock& module_;
  IKovaVssProvider* provider_ = nullptr;
  IVssHardwareSnapshotProviderEx* hardware_ = nullptr;
  IVssProviderCreateSnapshotSet* snapshot_set_ = nullptr;
  IVssProviderNotifications* notifications_ = nullptr;
};

}  // namespace kova_service
