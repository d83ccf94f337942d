// CKovaVssProvider: the hardware snapshot provider object that VSS drives.
//
// It owns the set of configured arrays (read from the configuration store
// when the object is made), the list of LUNs of the snapshot set being made
// and a cache that maps LUN serials to array volumes. Every VSS method but
// GetProviderCapabilities takes the object's one lock (OnLoad only to read
// the state), so all array traffic of an object is serialised; the log's
// lock is only ever taken inside it. Methods answer with HRESULTs and never let an exception
// escape. Reference counting is atomic.
//
// The snapshot-set methods and LUN support live in kova_vss_provider.cc,
// kova_vss_provider_set.cc and kova_vss_provider_luns.cc; LUN identification
// in kova_vss_provider_identify.cc; import and LUN lifecycle in
// kova_vss_provider_import.cc.
#pragma once

#include <atomic>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "library/rest/kova_library.h"
#include "platform/vss_compat.h"
#include "provider/vss/ikova_vss_provider.h"
#include "provider/vss/lun_information.h"

class ArraySnapshotRequest;
class KovaArray;

class CKovaVssProvider final : public IKovaVssProvider,
                               public IVssHardwareSnapshotProviderEx,
                               public IVssProviderCreateSnapshotSet,
                               public IVssProviderNotifications {
 public:
  // One LUN of the current (or last) snapshot set.
  struct PendingSnapshot {
    std::string lunSerial;        // the source volume's serial
    std::string volumeName;       // the source volume's name on its array
    KovaArray* array = nullptr;   // not owned: the array set owns it
    std::string snapshotSerial;   // empty until CommitSnapshots made it
    std::string snapshotName;     // empty until then
    // The name CommitSnapshots asked the array for, set before the request
    // goes out; with no serial it marks a snapshot that may exist although
    // its answer was lost.
    std::string requestedName;
  };

  // What a LUN serial was last confirmed to be.
  struct LunCacheEntry {
    std::string volumeName;
    KovaArray* array = nullptr;  // not owned
  };

  // Reads the configured arrays and initialises each (sessions are opened);
  // arrays that fail are reported and left out. Never throws. The object
  // starts with no reference; its creator takes the first through
  // QueryInterface or AddRef.
  CKovaVssProvider();
  CKovaVssProvider(const CKovaVssProvider&) = delete;
  CKovaVssProvider& operator=(const CKovaVssProvider&) = delete;

  // IUnknown. QueryInterface answers IUnknown, IKovaVssProvider,
  // IVssProviderCreateSnapshotSet, IVssHardwareSnapshotProvider,
  // IVssProviderNotifications and IVssHardwareSnapshotProviderEx. The last
  // Release destroys the object.
  HRESULT QueryInterface(REFIID iid, void** object) override;
  ULONG AddRef() override;
  ULONG Release() override;

  // IVssHardwareSnapshotProvider
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

  // IVssHardwareSnapshotProviderEx
  HRESULT GetProviderCapabilities(ULONGLONG* original_capability_mask) override;
  HRESULT OnLunStateChange(VDS_LUN_INFORMATION* snapshot_luns, VDS_LUN_INFORMATION* original_luns,
                           DWORD count, DWORD flags) override;
  HRESULT ResyncLuns(VDS_LUN_INFORMATION* source_luns, VDS_LUN_INFORMATION* target_luns,
                     DWORD count, IVssAsync** async) override;
  HRESULT OnReuseLuns(VDS_LUN_INFORMATION* snapshot_luns, VDS_LUN_INFORMATION* original_luns,
                      DWORD count) override;

  // IVssProviderCreateSnapshotSet
  HRESULT EndPrepareSnapshots(VSS_ID snapshot_set_id) override;
  HRESULT PreCommitSnapshots(VSS_ID snapshot_set_id) override;
  HRESULT CommitSnapshots(VSS_ID snapshot_set_id) override;
  HRESULT PostCommitSnapshots(VSS_ID snapshot_set_id, LONG snapshots_count) override;
  HRESULT PreFinalCommitSnapshots(VSS_ID snapshot_set_id) override;
  HRESULT PostFinalCommitSnapshots(VSS_ID snapshot_set_id) override;
  HRESULT AbortSnapshots(VSS_ID snapshot_set_id) override;

  // IVssProviderNotifications
  HRESULT OnLoad(IUnknown* callback) override;
  HRESULT OnUnload(BOOL force_unload) override;

  // Diagnostics (not on any interface): copies taken under the lock.
  VSS_SNAPSHOT_STATE CurrentState() const;
  std::vector<PendingSnapshot> PendingSnapshots() const;

 private:
  ~CKovaVssProvider();  // through Release only

  // --- object and snapshot set (kova_vss_provider.cc, _set.cc) ----------
  // S_OK when the calling client is a local administrator.
  HRESULT CheckCallerIsAdministrator();
  // Reports an authorization failure: the event and |exit_line| (with %x).
  HRESULT RefuseUnauthorizedCaller(const char* exit_line);
  void DiscoverLumenstacks(KovaLibrary& arrays);
  void InitializeLumenstack(KovaLibrary& arrays, const utility::string_t& name,
                            const utility::string_t& rest_version);
  // The first record whose lunSerial is |serial| byte for byte, or null.
  const PendingSnapshot* FindPendingSnapshot(const std::string& serial) const;
  // Deletes every snapshot made for the list on the arrays, those confirmed
  // by serial and those whose request got no usable answer by name, then
  // empties the list. Array failures are logged, never returned.
  HRESULT DeletePendingSnapshots();
  void DeleteSnapshotLun(const std::string& snapshotSerial);
  // True when |array| held the snapshot and it was deleted; failures are
  // logged, never thrown.
  bool DeleteSnapshotOnArray(KovaArray& array, const std::string& snapshotSerial);
  // For each record whose snapshot was requested but never confirmed by a
  // serial: deletes the snapshot of that requested name (volume + "." + the
  // set's suffix, nothing else) on the record's array when it exists.
  // Failures are logged, never thrown.
  void DeleteSnapshotsByName();
  void DeleteSnapshotByName(KovaArray& array, const std::string& name);
  // Ends a set after a refused or failed step: DeletePendingSnapshots and
  // state := VSS_SS_ABORTED; a created set is left as it is.
  void EndRefusedSet();
  void EndRefusedSetNoThrow() noexcept;
  // Ends a created set whose target LUNs could not be described: VSS never
  // learns of its snapshots, so nothing else would ever release them.
  void EndSetWithoutTargets() noexcept;
  // BeginPrepareSnapshot's steps after the authorization check.
  HRESULT CheckPrepareArguments(LONG lun_count, VDS_LUN_INFORMATION* luns);
  void SettlePreviousSet(const GUID& snapshot_set_id);
  HRESULT AddLunsToSet(LONG lun_count, VSS_PWSZ* devices, VDS_LUN_INFORMATION* luns);
  // EndPrepareSnapshots and PreCommitSnapshots: |method| names the call.
  HRESULT AdvanceSetState(const char* method, VSS_SNAPSHOT_STATE expected,
                          VSS_SNAPSHOT_STATE next, const GUID& snapshot_set_id);
  HRESULT CheckCommitPreconditions(const GUID& snapshot_set_id);
  HRESULT CreatePendingSnapshots(const GUID& snapshot_set_id);
  HRESULT CreateSnapshotForRecord(PendingSnapshot& record, const GUID& snapshot_set_id);
  // The shared reports of both commit paths: a record no array owns, an
  // answer without the snapshot asked for, a snapshot made.
  // Call only inside a catch block: the report and HRESULT of a failed
  // snapshot request; exceptions not derived from std::exception pass on.
  static HRESULT MapSnapshotCreationFailure();
  static HRESULT RefuseRecordWithoutArray(const PendingSnapshot& record);
  static HRESULT RefuseIncompleteAnswer();
  static void ReportSnapshotCreated(const PendingSnapshot& record);

  // --- batched commit ("BatchSnapshots", kova_vss_provider_batch.cc) ----
  // One snapshot request per array, sent to all arrays at once; on failure
  // the records name every snapshot the requests may have made.
  HRESULT CreateSnapshotsPerArray(const GUID& snapshot_set_id);
  // The records grouped by array, the arrays in the order of their first
  // record; an error result when a record has no array.
  HRESULT GroupRecordsByArray(std::vector<ArraySnapshotRequest>& requests);
  // Stores the names asked for and the serials confirmed into the records.
  void KeepAnswers(const std::vector<ArraySnapshotRequest>& requests);
  // Reports each failed request in array order; the first one's HRESULT.
  static HRESULT ReportFailedRequests(const std::vector<ArraySnapshotRequest>& requests);

  // --- LUN support and information (kova_vss_provider_luns.cc) ----------
  // AreLunsSupported's first pass: S_FALSE when a LUN is not a KOVA LUN.
  HRESULT CheckLunsAreKova(LONG lun_count, VDS_LUN_INFORMATION* luns);
  // AreLunsSupported's second pass: S_FALSE when a LUN is on no array.
  HRESULT LocateSupportedLuns(LONG lun_count, VSS_PWSZ* devices, VDS_LUN_INFORMATION* luns);
  // FillInLunInfo after the argument and authorization checks.
  HRESULT DescribeLun(VSS_PWSZ device, const VDS_LUN_INFORMATION& lun, BOOL* is_supported);
  // One target record; S_FALSE when the source record is skipped.
  HRESULT GetTargetLun(VSS_PWSZ device, const VDS_LUN_INFORMATION& source,
                       VDS_LUN_INFORMATION& target);

  // --- LUN identification (kova_vss_provider_identify.cc) ---------------
  // The array holding the LUN's volume and the volume's (or snapshot's)
  // current name. S_OK; E_FAIL when no array claims the serial or the name
  // cannot be confirmed; E_POINTER for a null array in the set. Array
  // exceptions pass through. |device| may be null.
  HRESULT GetArrayAndVolumeNameInfo(const VDS_LUN_INFORMATION& lun, VSS_PWSZ device,
                                    KovaArray*& array, std::string& volumeName);
  HRESULT FindArrayForSerial(const std::string& serial, KovaArray*& array);
  HRESULT ReadVolumeName(const VDS_LUN_INFORMATION& lun, VSS_PWSZ device, std::string& name);
  static bool ConfirmVolumeName(KovaArray& array, const std::string& name,
                                const std::string& serial);
  static HRESULT ScanArrayForSerial(KovaArray& array, const std::string& serial,
                                    std::string& name);

  // --- import and LUN lifecycle (kova_vss_provider_import.cc) -----------
  // 0 when |volumeName| was connected to (|connect|) or disconnected from
  // this host's initiators of |busType|; non-zero otherwise.
  int MapVolumeToHost(KovaArray* array, const std::string& volumeName,
                      VDS_STORAGE_BUS_TYPE busType, bool connect);
  // The volume copy and snapshot that OnLunEmpty releases for one LUN.
  struct ImportedLun;
  // One record of each method; array exceptions pass through.
  HRESULT LocateLun(const VDS_LUN_INFORMATION& lun);
  HRESULT ReleaseImportedLun(const VDS_LUN_INFORMATION& lun);
  // True, with the name the LUN record carries, when that name shows the
  // provider made the LUN: a LUN no longer on its array was then released
  // before.
  bool ReadReleasedLunName(const VDS_LUN_INFORMATION& lun, std::string& name);
  HRESULT IdentifyImportedLun(KovaArray& array, const std::string& name,
                              const std::string& serial, ImportedLun& found);
  HRESULT ReleaseVolumeCopy(KovaArray& array, const VDS_LUN_INFORMATION& lun,
                            const ImportedLun& found);
  HRESULT ReleaseSnapshot(KovaArray& array, const ImportedLun& found);
  HRESULT MaskLun(const VDS_LUN_INFORMATION& lun);
  HRESULT ResyncLunPairs(VDS_LUN_INFORMATION* sources, VDS_LUN_INFORMATION* targets, DWORD count);
  HRESULT ResyncLunPair(const VDS_LUN_INFORMATION& source, const VDS_LUN_INFORMATION& target);
  // ResyncLuns's lookup of one side; |missing| is the log line when no
  // array holds it.
  HRESULT FindResyncVolume(const VDS_LUN_INFORMATION& lun, const char* missing, KovaArray*& array,
                           std::string& name);

  std::atomic<ULONG> refCount{0};

  std::vector<PendingSnapshot> pendingSnapshots;
  KovaLibrary kovaLibrary;
  mutable std::recursive_mutex lock;
  std::map<std::string, LunCacheEntry> lunCache;
  GUID snapshotSetId = GUID_NULL;
  VSS_SNAPSHOT_STATE state = VSS_SS_UNKNOWN;
};
