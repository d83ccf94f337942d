// The snapshot-set state machine: preparing the list of LUNs, creating one
// array snapshot per LUN at commit, and ending a set that fails or is
// aborted.
#include <stdexcept>
#include <string>

#include "library/log/logger.h"
#include "library/rest/kova_array.h"
#include "library/rest/kova_rest_exception.h"
#include "provider/vss/deletion_settings.h"
#include "provider/vss/device_names.h"
#include "provider/vss/kova_vss_provider.h"
#include "provider/vss/provider_failures.h"

namespace {

constexpr const char* kTag = kProviderLogTag;

std::string SetRule() { return std::string(82, '='); }

}  // namespace

HRESULT CKovaVssProvider::BeginPrepareSnapshot(VSS_ID snapshot_set_id, VSS_ID snapshot_id,
                                               LONG /*context*/, LONG lun_count,
                                               VSS_PWSZ* devices, VDS_LUN_INFORMATION* luns) {
  try {
    std::lock_guard<std::recursive_mutex> hold(lock);
    Logger::HoldLogOutput();
    Logger::Write(LOG_INFO, kTag,
                  "ENTERING: CKovaVssProvider::BeginPrepareSnapshot()- SnapshotSetId=%ls, "
                  "SnapshotId=%ls, lLunCount=%ld",
                  platform::GuidToString(snapshot_set_id), platform::GuidToString(snapshot_id),
                  lun_count);
    Logger::Write(LOG_INFO, kTag, "%hs", SetRule());
    if (CheckCallerIsAdministrator() != S_OK) {
      RefuseUnauthorizedCaller("EXITING: CKovaVssProvider::BeginPrepareSnapshot(%x). Authorization failure");
      Logger::ReleaseLogOutput();
      return VSS_E_PROVIDER_VETO;
    }
    const HRESULT checked = CheckPrepareArguments(lun_count, luns);
    if (checked != S_OK) {
      Logger::ReleaseLogOutput();
      return checked;
    }
    SettlePreviousSet(snapshot_set_id);
    HRESULT result = AddLunsToSet(lun_count, devices, luns);
    if (SUCCEEDED(result)) {
      state = VSS_SS_PREPARING;
      snapshotSetId = snapshot_set_id;
    } else {
      DeletePendingSnapshots();
      state = VSS_SS_ABORTED;
      Logger::ReleaseLogOutput();
    }
    Logger::Write(LOG_INFO, kTag, "EXITING: CKovaVssProvider::BeginPrepareSnapshot(%x)", result);
    Logger::Write(LOG_INFO, kTag, "%hs", SetRule());
    return result;
  } catch (...) {
    return UnexpectedFailure();
  }
}

HRESULT CKovaVssProvider::CheckPrepareArguments(LONG lun_count, VDS_LUN_INFORMATION* luns) {
  // A count without records, or a negative one, cannot be read.
  if (lun_count < 0 || (lun_count > 0 && luns == nullptr)) {
    Logger::Write(LOG_ERROR, kTag,
                  "EXITING: CKovaVssProvider::BeginPrepareSnapshot(%x). Invalid argument: Lun "
                  "pointer is null",
                  E_INVALIDARG);
    return E_INVALIDARG;
  }
  for (LONG i = 0; i < lun_count; ++i) {
    if (!HasIdentifierList(luns[i])) {
      Logger::Write(LOG_ERROR, kTag,
                    "EXITING: CKovaVssProvider::BeginPrepareSnapshot(%x). VDS Lun Info is null for "
                    "volume Id '%hs'",
                    E_INVALIDARG, LunSerial(luns[i]));
      return E_INVALIDARG;
    }
  }
  return S_OK;
}

void CKovaVssProvider::SettlePreviousSet(const GUID& snapshot_set_id) {
  if (state == VSS_SS_UNKNOWN || state == VSS_SS_CREATED || state == VSS_SS_ABORTED) {
    // A finished set's snapshots now belong to VSS; only the list goes.
    pendingSnapshots.clear();
  } else if (state == VSS_SS_PREPARING && snapshot_set_id == snapshotSetId) {
    // The same set continues with more LUNs.
  } else {
    DeletePendingSnapshots();
  }
}

HRESULT CKovaVssProvider::AddLunsToSet(LONG lun_count, VSS_PWSZ* devices,
                                       VDS_LUN_INFORMATION* luns) {
  try {
    for (LONG i = 0; i < lun_count; ++i) {
      const std::string serial = LunSerial(luns[i]);
      if (FindPendingSnapshot(serial) != nullptr) continue;
      PendingSnapshot record;
      const HRESULT found =
          GetArrayAndVolumeNameInfo(luns[i], DeviceAt(devices, i), record.array, record.volumeName);
      if (FAILED(found)) {
        LogEvent(kCategoryUserError, kEventTypeError, kEventVolumeCheckFailed, "%hs", serial);
        Logger::Write(LOG_ERROR, kTag,
                      "EXITING: CKovaVssProvider::BeginPrepareSnapshot(%x). Could not locate LUN "
                      "information in array ",
                      found);
        return VSS_E_PROVIDER_VETO;
      }
      record.lunSerial = serial;
      pendingSnapshots.push_back(record);
      Logger::Write(LOG_INFO, kTag, "LUN (%hs) added to shadow copy list", serial);
    }
    return S_OK;
  } catch (...) {
    return MapCurrentException("BeginPrepareSnapshot: Failed to check for a volume. Exception: %hs",
                               kEventVolumeCheckFailed);
  }
}

HRESULT CKovaVssProvider::EndPrepareSnapshots(VSS_ID snapshot_set_id) {
  return AdvanceSetState("EndPrepareSnapshots", VSS_SS_PREPARING, VSS_SS_PREPARED,
                         snapshot_set_id);
}

HRESULT CKovaVssProvider::PreCommitSnapshots(VSS_ID snapshot_set_id) {
  return AdvanceSetState("PreCommitSnapshots", VSS_SS_PREPARED, VSS_SS_PRECOMMITTED,
                         snapshot_set_id);
}

HRESULT CKovaVssProvider::AdvanceSetState(const char* method, VSS_SNAPSHOT_STATE expected,
                                          VSS_SNAPSHOT_STATE next, const GUID& snapshot_set_id) {
  try {
    const std::string prefix = std::string("CKovaVssProvider::") + method + "() - ";
    Logger::Write(LOG_INFO, kTag, "%hsSnapshotSetId = %ls", prefix,
                  platform::GuidToString(snapshot_set_id));
    std::lock_guard<std::recursive_mutex> hold(lock);
    std::string refusal;
    if (state != expected) {
      refusal = std::string(method) + " called out of order";
    } else if (snapshot_set_id != snapshotSetId) {
      refusal = std::string("Unexpected snapshot set ID during ") + method;
    }
    HRESULT result = S_OK;
    if (refusal.empty()) {
      state = next;
    } else {
      Logger::Write(LOG_ERROR, kTag, "%hs%hs", prefix, refusal);
      LogEvent(kCategoryUserError, kEventTypeError, kEventSnapshotCreationFailed, "%hs", refusal);
      result = VSS_E_PROVIDER_VETO;
      EndRefusedSet();
    }
    Logger::Write(LOG_DEBUG, kTag, "EXITING: CKovaVssProvider::%hs(%x)", method, result);
    return result;
  } catch (...) {
    const HRESULT result = UnexpectedFailure();
    EndRefusedSetNoThrow();
    return result;
  }
}

HRESULT CKovaVssProvider::CommitSnapshots(VSS_ID snapshot_set_id) {
  try {
    const std::string set_id = platform::GuidToString(snapshot_set_id);
    Logger::Write(LOG_INFO, kTag, "CKovaVssProvider::CommitSnapshots() - SnapshotId=%ls", set_id);
    std::lock_guard<std::recursive_mutex> hold(lock);
    if (CheckCallerIsAdministrator() != S_OK) {
      return RefuseUnauthorizedCaller(
          "EXITING : CKovaVssProvider::CommitSnapshots(%x). Authorization failure");
    }
    HRESULT result = CheckCommitPreconditions(snapshot_set_id);
    if (SUCCEEDED(result)) result = CreatePendingSnapshots(snapshot_set_id);
    if (SUCCEEDED(result)) {
      state = VSS_SS_COMMITTED;
      Logger::Write(LOG_INFO, kTag,
                    "CKovaVssProvider::CommitSnapshots() - SnapshotId=%ls successfully commited!",
                    set_id);
    } else {
      Logger::Write(LOG_INFO, kTag,
                    "CKovaVssProvider::CommitSnapshots() - SnapshotId=%ls failed to commit with "
                    "hr=%08x!",
                    set_id, result);
      EndRefusedSet();
    }
    Logger::Write(LOG_INFO, kTag, "EXITING: CKovaVssProvider::CommitSnapshots(%x)", result);
    return result;
  } catch (...) {
    const HRESULT result = UnexpectedFailure();
    EndRefusedSetNoThrow();
    return result;
  }
}

HRESULT CKovaVssProvider::CheckCommitPreconditions(const GUID& snapshot_set_id) {
  if (state != VSS_SS_PRECOMMITTED) {
    LogEvent(kCategoryUserError, kEventTypeError, kEventCallerNotAdministrator,
             "CommitSnapshots called out of order");
    Logger::Write(LOG_ERROR, kTag,
                  "EXITING: CKovaVssProvider::CommitSnapshots(%x). CommitSnapshots called out of order",
                  VSS_E_PROVIDER_VETO);
    return VSS_E_PROVIDER_VETO;
  }
  if (snapshot_set_id != snapshotSetId) {
    LogEvent(kCategoryUserError, kEventTypeError, kEventSnapshotCreationFailed,
             "Unexpected snapshot set ID during CommitSnapshots");
    Logger::Write(LOG_ERROR, kTag,
                  "EXITING: CKovaVssProvider::CommitSnapshots(%x). Unexpected snapshot set ID",
                  VSS_E_PROVIDER_VETO);
    return VSS_E_PROVIDER_VETO;
  }
  return S_OK;
}

HRESULT CKovaVssProvider::CreatePendingSnapshots(const GUID& snapshot_set_id) {
  try {
    if (Utilities::GetRegistryDWORD(Utilities::CachedSetting::kBatchSnapshots) != 0) {
      return CreateSnapshotsPerArray(snapshot_set_id);
    }
    for (PendingSnapshot& record : pendingSnapshots) {
      const HRESULT result = CreateSnapshotForRecord(record, snapshot_set_id);
      if (FAILED(result)) return result;
    }
    return S_OK;
  } catch (const std::exception&) {
    return MapSnapshotCreationFailure();
  }
}

HRESULT CKovaVssProvider::MapSnapshotCreationFailure() {
  try {
    throw;
  } catch (const KovaStorage::KovaRestException& e) {
    LogEvent(kCategoryUserError, kEventTypeError, kEventSnapshotCreationFailed, "%hs", e.what());
    Logger::Write(LOG_ERROR, kTag, "Snapshot creation failed. Error: %hs", e.what());
    return VSS_E_PROVIDER_VETO;
  } catch (const std::invalid_argument& e) {
    Logger::Write(LOG_ERROR, kTag, "Snapshot creation failed. Error: %hs", e.what());
    return E_INVALIDARG;
  } catch (const std::bad_alloc& e) {
    Logger::Write(LOG_ERROR, kTag, "Snapshot creation failed. Error: %hs", e.what());
    return E_OUTOFMEMORY;
  } catch (const std::exception& e) {
    Logger::Write(LOG_ERROR, kTag, "Snapshot creation failed. Error: %hs", e.what());
    return VSS_E_PROVIDER_VETO;
  }
}

HRESULT CKovaVssProvider::CreateSnapshotForRecord(PendingSnapshot& record,
                                                  const GUID& snapshot_set_id) {
  if (record.array == nullptr) return RefuseRecordWithoutArray(record);
  // Named before it is sent: if the answer is lost, the set's cleanup can
  // still find the snapshot the array may have made.
  record.requestedName = KovaArray::MakeSnapshotName(record.volumeName, snapshot_set_id);
  std::string name;
  std::string serial;
  if (record.array->CreateSnapshot(record.volumeName, snapshot_set_id, name, serial) != 0) {
    return RefuseIncompleteAnswer();
  }
  record.snapshotSerial = serial;
  record.snapshotName = name;
  ReportSnapshotCreated(record);
  return S_OK;
}

HRESULT CKovaVssProvider::RefuseRecordWithoutArray(const PendingSnapshot& record) {
  LogEvent(kCategoryUserError, kEventTypeError, kEventSnapshotCreationFailed,
           "Internal Error. No Lumenstack owns the volume '%hs'. Please, restart the "
           "KovaProvider service and try again!",
           record.lunSerial);
  Logger::Write(LOG_ERROR, kTag,
                "EXITING: CKovaVssProvider::CommitSnapshots. Error: No Lumenstack owns the volume '%hs'",
                record.lunSerial);
  return VSS_E_PROVIDER_VETO;
}

HRESULT CKovaVssProvider::RefuseIncompleteAnswer() {
  LogEvent(kCategoryUserError, kEventTypeError, kEventSnapshotCreationFailed,
           "Internal error while creating a snapshot");
  Logger::Write(LOG_ERROR, kTag, "Snapshot creation failed. Internal error while creating a snapshot");
  return VSS_E_PROVIDER_VETO;
}

void CKovaVssProvider::ReportSnapshotCreated(const PendingSnapshot& record) {
  LogEvent(kCategoryUserInformation, kEventTypeInformation, kEventSnapshotCreated,
           "Successfully created snapshot for Kova Storage volume '%hs'", record.lunSerial);
  Logger::Write(LOG_INFO, kTag, "Snapshot(%hs, %hs) created for volume(%hs, %hs)",
                record.snapshotSerial, record.snapshotName, record.lunSerial, record.volumeName);
}

HRESULT CKovaVssProvider::PostCommitSnapshots(VSS_ID snapshot_set_id, LONG snapshots_count) {
  try {
    const std::string set_id = platform::GuidToString(snapshot_set_id);
    Logger::Write(LOG_INFO, kTag,
                  "ENTRING: CKovaVssProvider::PostCommitSnapshots(). SnapshotSetId=%ls, "
                  "SnapshotsCount=%ld",
                  set_id, snapshots_count);
    std::lock_guard<std::recursive_mutex> hold(lock);
    const char* refusal = nullptr;
    const char* exit_line = nullptr;
    if (state != VSS_SS_COMMITTED) {
      refusal = "PostCommitSnapshots called out of order";
      exit_line = "EXITING: CKovaVssProvider::PostCommitSnapshots(%x). PostCommitSnapshots called out of order";
    } else if (snapshot_set_id != snapshotSetId) {
      refusal = "Unexpected snapshot set ID during PostCommitSnapshots";
      exit_line = "EXITING: CKovaVssProvider::PostCommitSnapshots(%x). Unexpected snapshot set ID";
    }
    if (refusal == nullptr) {
      Logger::Write(LOG_INFO, kTag,
                    "EXITING: CKovaVssProvider::PostCommitSnapshots. Snapshot successfully created");
      state = VSS_SS_CREATED;
    } else {
      LogEvent(kCategoryUserError, kEventTypeError, kEventCallerNotAdministrator, "%hs", refusal);
      Logger::Write(LOG_ERROR, kTag, exit_line, VSS_E_PROVIDER_VETO);
      EndRefusedSet();
    }
    Logger::Write(LOG_INFO, kTag,
                  "EXITING: CKovaVssProvider::PostCommitSnapshots(). SnapshotSetId=%ls, "
                  "SnapshotsCount=%ld",
                  set_id, snapshots_count);
    return S_OK;
  } catch (...) {
    EndRefusedSetNoThrow();
    return S_OK;
  }
}

HRESULT CKovaVssProvider::PreFinalCommitSnapshots(VSS_ID snapshot_set_id) {
  try {
    Logger::Write(LOG_INFO, kTag, "CKovaVssProvider::PreFinalCommitSnapshots() - SnapshotId=%ls",
                  platform::GuidToString(snapshot_set_id));
    std::lock_guard<std::recursive_mutex> hold(lock);
    Logger::Write(LOG_DEBUG, kTag, "EXITING: CKovaVssProvider::PreFinalCommitSnapshots(%x)", S_OK);
    return S_OK;
  } catch (...) {
    return UnexpectedFailure();
  }
}

HRESULT CKovaVssProvider::PostFinalCommitSnapshots(VSS_ID snapshot_set_id) {
  try {
    std::lock_guard<std::recursive_mutex> hold(lock);
    Logger::Write(LOG_INFO, kTag,
                  "ENTERING: CKovaVssProvider::PostFinalCommitSnapshots(). SnapshotId=%ls",
                  platform::GuidToString(snapshot_set_id));
    Logger::Write(LOG_INFO, kTag, "EXITING: CKovaVssProvider::PostFinalCommitSnapshots()");
    Logger::Write(LOG_INFO, kTag, "%hs", SetRule());
    Logger::ReleaseLogOutput();
    return S_OK;
  } catch (...) {
    return UnexpectedFailure();
  }
}

HRESULT CKovaVssProvider::AbortSnapshots(VSS_ID snapshot_set_id) {
  try {
    Logger::Write(LOG_INFO, kTag, "ENTRING: CKovaVssProvider::AbortSnapshots(). SnapshotId=%ls",
                  platform::GuidToString(snapshot_set_id));
    std::lock_guard<std::recursive_mutex> hold(lock);
    Logger::ReleaseLogOutput();
    if (state == VSS_SS_CREATED) {
      Logger::Write(LOG_INFO, kTag,
                    "CKovaVssProvider::AbortSnapshots() - Abort called after create - Ignoring Abort!");
      return S_OK;
    }
    if (snapshot_set_id != snapshotSetId) {
      LogEvent(kCategoryUserError, kEventTypeError, kEventCallerNotAdministrator,
               "Unexpected snapshot set ID during AbortSnapshots");
      Logger::Write(LOG_ERROR, kTag,
                    "EXITING: CKovaVssProvider::AbortSnapshots(%x). Unexpected snapshot set ID",
                    VSS_E_PROVIDER_VETO);
      state = VSS_SS_ABORTED;
      return VSS_E_PROVIDER_VETO;
    }
    Logger::Write(LOG_INFO, kTag, "CKovaVssProvider::AbortSnapshots(). Deleting pending snapshot!");
    const HRESULT result = DeletePendingSnapshots();
    state = VSS_SS_ABORTED;
    Logger::Write(LOG_DEBUG, kTag, "EXITING: CKovaVssProvider::AbortSnapshots(%x)", result);
    return result;
  } catch (...) {
    const HRESULT result = UnexpectedFailure();
    try {
      std::lock_guard<std::recursive_mutex> hold(lock);
      if (state != VSS_SS_CREATED) state = VSS_SS_ABORTED;
    } catch (...) {
    }
    return result;
  }
}

void CKovaVssProvider::EndRefusedSet() {
  // A created set is finished: its snapshots belong to VSS, which releases
  // them through their LUNs. A stray late call must not destroy them.
  if (state == VSS_SS_CREATED) return;
  DeletePendingSnapshots();
  state = VSS_SS_ABORTED;
}

void CKovaVssProvider::EndRefusedSetNoThrow() noexcept {
  try {
    std::lock_guard<std::recursive_mutex> hold(lock);
    EndRefusedSet();
  } catch (...) {
  }
}

void CKovaVssProvider::EndSetWithoutTargets() noexcept {
  try {
    std::lock_guard<std::recursive_mutex> hold(lock);
    if (state != VSS_SS_CREATED) return;
    Logger::Write(LOG_INFO, kTag,
                  "CKovaVssProvider::GetTargetLuns() - target LUNs of SnapshotSetId=%ls not "
                  "described, deleting its snapshots",
                  platform::GuidToString(snapshotSetId));
    DeletePendingSnapshots();
    state = VSS_SS_ABORTED;
  } catch (...) {
  }
}

const CKovaVssProvider::PendingSnapshot* CKovaVssProvider::FindPendingSnapshot(
    const std::string& serial) const {
  for (const PendingSnapshot& record : pendingSnapshots) {
    if (record.lunSerial == serial) return &record;
  }
  return nullptr;
}

HRESULT CKovaVssProvider::DeletePendingSnapshots() {
  for (const PendingSnapshot& record : pendingSnapshots) {
    try {
      DeleteSnapshotLun(record.snapshotSerial);
    } catch (const std::bad_alloc&) {
      Logger::Write(LOG_WARN, kTag, "CKovaVssProvider::DeletePendingSnapshots() exception ignored");
    } catch (...) {
      Logger::Write(LOG_WARN, kTag, "CKovaVssProvider::DeletePendingSnapshots() exception ignored");
    }
  }
  DeleteSnapshotsByName();
  pendingSnapshots.clear();
  return S_OK;
}

void CKovaVssProvider::DeleteSnapshotsByName() {
  for (const PendingSnapshot& record : pendingSnapshots) {
    if (!record.snapshotSerial.empty() || record.requestedName.empty() || record.array == nullptr) {
      continue;
    }
    try {
      DeleteSnapshotByName(*record.array, record.requestedName);
    } catch (...) {
      Logger::Write(LOG_WARN, kTag, "CKovaVssProvider::DeletePendingSnapshots() exception ignored");
    }
  }
}

void CKovaVssProvider::DeleteSnapshotByName(KovaArray& array, const std::string& name) {
  // The request went out but no serial came back: the array may have made
  // the snapshot before its answer was lost, failed or unreadable.
  try {
    if (!array.DoesVolumeNameExist(name)) return;
    array.DeleteVolume(name, EradicateVolumesSetting());
    Logger::Write(LOG_INFO, kTag,
                  "DeleteSnapshotsByName - snapshot(%hs) whose creation was not confirmed deleted",
                  name);
  } catch (const KovaStorage::KovaRestException& e) {
    Logger::Write(LOG_ERROR, kTag, "DeleteSnapshotsByName - Failed to delete the snapshot(%hs) - %hs",
                  name, e.what());
  } catch (const std::exception& e) {
    Logger::Write(LOG_ERROR, kTag, "DeleteSnapshotsByName - %hs", e.what());
  }
}

void CKovaVssProvider::DeleteSnapshotLun(const std::string& snapshotSerial) {
  Logger::Write(LOG_INFO, kTag, "ENTERING: DeleteSnapshotLun(%hs)", snapshotSerial);
  // No snapshot was made for an empty serial; asking the arrays for one
  // could only match a snapshot whose serial the array failed to report.
  if (!snapshotSerial.empty()) {
    std::vector<KovaArray*> arrays;
    kovaLibrary.GetArrayList(arrays);
    for (KovaArray* array : arrays) {
      if (array != nullptr && DeleteSnapshotOnArray(*array, snapshotSerial)) break;
    }
  }
  Logger::Write(LOG_INFO, kTag, "EXITING : CKovaVssProvider::DeleteSnapshotLun()");
}

bool CKovaVssProvider::DeleteSnapshotOnArray(KovaArray& array, const std::string& snapshotSerial) {
  // Each array is asked on its own, so one that cannot be reached does not
  // keep the snapshot on another from being deleted.
  try {
    std::string name;
    if (array.CheckVolumeWithArray(snapshotSerial, name, true) != 0) return false;
    array.DeleteVolume(name, EradicateVolumesSetting());
    Logger::Write(LOG_INFO, kTag, "DeleteSnapshotLun - snapshot(%hs) deleted", name);
    return true;
  } catch (const KovaStorage::KovaRestException& e) {
    Logger::Write(LOG_ERROR, kTag, "DeleteSnapshotLun - Failed to delete the snapshot - %hs",
                  e.what());
  } catch (const std::exception& e) {
    Logger::Write(LOG_ERROR, kTag, "DeleteSnapshotLun - %hs", e.what());
  }
  return false;
}
