// A provider object for the coordinator's tests: it implements the three
// interfaces VSS calls, records every call with its arguments, answers with
// the HRESULTs a test sets, and fills target records in task memory the way
// a provider must (so leaks and double frees show under the sanitizers).
#pragma once

#include <map>
#include <string>
#include <vector>

#include "platform/vss_compat.h"

struct FakeCall {
  std::string method;
  GUID set_id = GUID_NULL;
  GUID snapshot_id = GUID_NULL;
  LONG context = 0;
  LONG count = 0;                    // LUN count, or the snapshots count of PostCommitSnapshots
  DWORD flags = 0;                   // OnLunStateChange
  BOOL force = FALSE;                // OnUnload
  std::vector<std::string> serials;  // of the LUN records passed (sources for ResyncLuns)
  std::vector<std::string> targets;  // ResyncLuns: the target serials
  std::vector<std::string> devices;  // the device names passed
  bool originals_given = false;      // OnLunStateChange, OnReuseLuns
};

class FakeProvider : public IVssHardwareSnapshotProviderEx,
                     public IVssProviderCreateSnapshotSet,
                     public IVssProviderNotifications {
 public:
  // The answer of |method| (S_OK when not set); AreLunsSupported's verdict.
  std::map<std::string, HRESULT> results;
  BOOL supported = TRUE;
  std::vector<FakeCall> calls;

  // Names of the calls made, in order.
  std::vector<std::string> Methods() const;
  const FakeCall* Find(const std::string& method) const;
  int references() const { return references_; }
  // The serial GetTargetLuns gives the snapshot of |source_serial|.
  static std::string SnapshotSerial(const std::string& source_serial) { return "SNAP" + source_serial; }

  HRESULT QueryInterface(REFIID iid, void** object) override;
  ULONG AddRef() override { return static_cast<ULONG>(++references_); }
  ULONG Release() override { return static_cast<ULONG>(--references_); }

  HRESULT AreLunsSupported(LONG lun_count, LONG context, VSS_PWSZ* devices, VDS_LUN_INFORMATION* luns,
                           BOOL* is_supported) override;
  HRESULT FillInLunInfo(VSS_PWSZ device, VDS_LUN_INFORMATION* lun, BOOL* is_supported) override;
  HRESULT BeginPrepareSnapshot(VSS_ID snapshot_set_id, VSS_ID snapshot_id, LONG context, LONG lun_count,
                               VSS_PWSZ* devices, VDS_LUN_INFORMATION* luns) override;
  HRESULT GetTargetLuns(LONG lun_count, VSS_PWSZ* devices, VDS_LUN_INFORMATION* source_luns,
                        VDS_LUN_INFORMATION* destination_luns) override;
  HRESULT LocateLuns(LONG lun_count, VDS_LUN_INFORMATION* source_luns) override;
  HRESULT OnLunEmpty(VSS_PWSZ device, VDS_LUN_INFORMATION* lun) override;
  HRESULT GetProviderCapabilities(ULONGLONG* original_capability_mask) override;
  HRESULT OnLunStateChange(VDS_LUN_INFORMATION* snapshot_luns, VDS_LUN_INFORMATION* original_luns, DWORD count,
                           DWORD flags) override;
  HRESULT ResyncLuns(VDS_LUN_INFORMATION* source_luns, VDS_LUN_INFORMATION* target_luns, DWORD count,
                     IVssAsync** async) override;
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
  HRESULT Record(FakeCall call);
  FakeCall LunCall(const std::string& method, LONG count, VSS_PWSZ* devices, const VDS_LUN_INFORMATION* luns);
  HRESULT SetCall(const std::string& method, const GUID& set_id);

  int references_ = 0;
};
