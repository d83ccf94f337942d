// Import and LUN lifecycle: volume copies of snapshots connected to this
// host (LocateLuns), their release (OnLunEmpty, OnLunStateChange) and the
// copy of snapshot contents back onto production volumes (ResyncLuns).
#include <string>
#include <vector>

#include "library/log/logger.h"
#include "library/rest/kova_array.h"
#include "library/rest/kova_rest_exception.h"
#include "provider/identity/host_name.h"
#include "provider/vss/deletion_settings.h"
#include "provider/vss/kova_vss_provider.h"
#include "provider/vss/lun_information.h"
#include "provider/vss/lun_name_marks.h"
#include "provider/vss/provider_failures.h"

namespace {

constexpr const char* kTag = kProviderLogTag;

constexpr char kHostQueryFailedText[] =
    "Querying host iqn/wwn failed. We cannot Map snapshot volume to HOST. Please consult "
    "documentation to make sure your configuration is supported or if additional setup/steps "
    "maybe required!";
constexpr char kUnknownLunText[] =
    "Provider was called to delete unknown LUN (name=%hs, serial=%hs)";
// GetHostName's status when it answers without a single name.
constexpr int kNoInitiatorNames = 5;

void ReportHostQueryFailure(int type) {
  LogEvent(kCategoryUserError, type, kEventHostInitiatorQueryFailed, "%hs", kHostQueryFailedText);
}

// What |name| on |array| is, by its marks. A copy's name must carry a
// serial of |array|, as every copy is made on its snapshot's array.
LunNameKind ClassifyOnArray(const KovaArray& array, const std::string& name) {
  const LunNameKind kind = ClassifyLunName(name);
  if (kind == LunNameKind::kVolumeCopy &&
      !array.DoesVolumeBelongToArray(VolumeCopySourceSerial(name))) {
    return LunNameKind::kUnknown;
  }
  return kind;
}

// LocateLuns's records: present, a count that is not negative, and an
// identifier list in each, all checked before any work so that a bad record
// changes nothing.
HRESULT CheckLocateArguments(LONG lun_count, const VDS_LUN_INFORMATION* source_luns) {
  if (source_luns == nullptr) {
    Logger::Write(LOG_ERROR, kTag,
                  "EXITING: CKovaVssProvider::LocateLuns(%x). Invalid argument: Lun information "
                  "is null",
                  E_POINTER);
    return E_POINTER;
  }
  if (lun_count < 0) {
    Logger::Write(LOG_ERROR, kTag,
                  "EXITING: CKovaVssProvider::LocateLuns(%x). Invalid argument: Lun count %ld",
                  E_INVALIDARG, static_cast<long>(lun_count));
    return E_INVALIDARG;
  }
  for (LONG i = 0; i < lun_count; ++i) {
    if (!HasIdentifierList(source_luns[i])) {
      Logger::Write(LOG_ERROR, kTag,
                    "EXITING: CKovaVssProvider::LocateLuns(%x). Invalid argument: Lun VDS "
                    "descriptor identifier is null",
                    E_INVALIDARG);
      return E_INVALIDARG;
    }
  }
  return S_OK;
}

// OnLunStateChange deletes a masked volume only when "DeleteSnaps" lets it
// go both as a volume (0 or 1) and as what its name shows it to be.
void DeleteMaskedVolume(KovaArray& array, const std::string& name) {
  const uint32_t deleteSnaps = DeleteSnapsSetting();
  const LunNameKind kind = ClassifyOnArray(array, name);
  if (kind == LunNameKind::kUnknown) {
    // Masking may hide any LUN; deleting is only for what the provider made.
    Logger::Write(LOG_WARN, kTag,
                  "OnLunStateChange: Volume(Name=%hs) was not made by the provider and is kept",
                  name);
  } else if (deleteSnaps <= 1 && DeleteSnapsAllows(kind, deleteSnaps)) {
    if (array.DeleteVolume(name, EradicateVolumesSetting()) != 0) {
      Logger::Write(LOG_ERROR, kTag, "OnLunStateChange: Could not delete volume(%hs)", name);
    } else {
      Logger::Write(LOG_INFO, kTag, "OnLunStateChange: Volume(Name=%hs) deleted from host", name);
    }
  } else {
    Logger::Write(LOG_INFO, kTag, "OnLunStateChange: Volume(Name=%hs) deleted from host", name);
  }
}

}  // namespace

struct CKovaVssProvider::ImportedLun {
  std::string lunName;
  std::string lunSerial;
  std::string copyName;  // empty when there is no copy to release
  std::string copySerial;
  std::string snapshotName;  // empty when there is no snapshot to release
  std::string snapshotSerial;
};

int CKovaVssProvider::MapVolumeToHost(KovaArray* array, const std::string& volumeName,
                                      VDS_STORAGE_BUS_TYPE busType, bool connect) {
  if (array == nullptr) return 1;
  Logger::Write(LOG_INFO, kTag, "Querying host iqn/wwn for volume=%hs, BusType=%ld", volumeName,
                static_cast<long>(busType));
  std::vector<std::string> ids;
  int status = GetHostName(static_cast<uint32_t>(busType), ids);
  if (status == 0 && ids.empty()) status = kNoInitiatorNames;
  if (status != 0) {
    Logger::Write(LOG_ERROR, kTag, "Querying host iqn/wwn failed: %x", status);
    ReportHostQueryFailure(kEventTypeError);
    return status;
  }
  for (size_t i = 0; i < ids.size(); ++i) {
    Logger::Write(LOG_INFO, kTag, "Found Host ID[%ld]=%hs", static_cast<long>(i), ids[i]);
  }
  return connect ? array->MapVolume(volumeName, ids) : array->UnMapVolume(volumeName, ids);
}

// --- LocateLuns -----------------------------------------------------------

HRESULT CKovaVssProvider::LocateLuns(LONG lun_count, VDS_LUN_INFORMATION* source_luns) {
  try {
    Logger::Write(LOG_INFO, kTag, "ENTERING: CKovaVssProvider::LocateLuns()");
    std::lock_guard<std::recursive_mutex> hold(lock);
    if (CheckCallerIsAdministrator() != S_OK) {
      return RefuseUnauthorizedCaller(
          "EXITING: CKovaVssProvider::LocateLuns(%x). Authorization failure");
    }
    const HRESULT arguments = CheckLocateArguments(lun_count, source_luns);
    if (arguments != S_OK) return arguments;
    HRESULT result = S_OK;
    try {
      for (LONG i = 0; i < lun_count && result == S_OK; ++i) result = LocateLun(source_luns[i]);
    } catch (...) {
      result = MapCurrentException("Failed to map volume with the host", kEventVolumeMappingFailed);
    }
    Logger::Write(LOG_INFO, kTag, "EXITING: CKovaVssProvider::LocateLuns(%x)", result);
    return result;
  } catch (...) {
    return UnexpectedFailure();
  }
}

HRESULT CKovaVssProvider::LocateLun(const VDS_LUN_INFORMATION& lun) {
  const std::string serial = LunSerial(lun);
  KovaArray* array = nullptr;
  std::string snapshotName;
  const HRESULT found = GetArrayAndVolumeNameInfo(lun, nullptr, array, snapshotName);
  if (found != S_OK || array == nullptr) {
    Logger::Write(LOG_ERROR, kTag,
                  "LocateLuns: Snapshot(%hs) does not exist in any lumenstack, error(%x)", serial,
                  found);
    LogEvent(kCategoryUserError, kEventTypeError, kEventSnapshotNotOnArray, "%hs", serial);
    return VSS_E_PROVIDER_VETO;
  }
  std::string copyName;
  std::string copySerial;
  if (array->CreateVolumeCopy(snapshotName, serial, copyName, copySerial) != 0) {
    Logger::Write(LOG_ERROR, kTag,
                  "LocateLuns: Volume Copy creation failed. Internal error while creating a "
                  "volume Copy");
    LogEvent(kCategoryUserError, kEventTypeError, kEventSnapshotCreationFailed, "%hs",
             "LocateLuns: Volume copy creation encountered an internal error");
    return VSS_E_PROVIDER_VETO;
  }
  Logger::Write(LOG_INFO, kTag,
                "LocateLuns: CreateVolumeCopy - Volume copy(Id=%hs, Name=%hs) created for "
                "snapshot(Id=%hs, Name=%hs)",
                copySerial, copyName, serial, snapshotName);
  if (MapVolumeToHost(array, copyName, lun.m_BusType, true) != 0) {
    Logger::Write(LOG_WARN, kTag, "LocateLuns: Volume(Id=%hs, Name=%hs) mapping to host FAILED!",
                  copySerial, copyName);
    ReportHostQueryFailure(kEventTypeWarning);
  } else {
    Logger::Write(LOG_INFO, kTag,
                  "LocateLuns: Volume(Id=%hs, Name=%hs) mapped to host successfully", copySerial,
                  copyName);
  }
  return S_OK;
}

// --- OnLunEmpty -----------------------------------------------------------

HRESULT CKovaVssProvider::OnLunEmpty(VSS_PWSZ /*device*/, VDS_LUN_INFORMATION* lun) {
  try {
    Logger::Write(LOG_INFO, kTag, "ENTERING: CKovaVssProvider::OnLunEmpty()");
    std::lock_guard<std::recursive_mutex> hold(lock);
    HRESULT result = S_OK;
    if (lun == nullptr) {
      Logger::Write(LOG_ERROR, kTag, "OnLunEmpty: Lun information is null");
      result = E_POINTER;
    } else if (IsKovaLun(*lun)) {
      try {
        result = ReleaseImportedLun(*lun);
      } catch (...) {
        result = MapCurrentException("Failed to delete the snapshot", kEventSnapshotDeletionFailed);
      }
    }
    Logger::Write(LOG_INFO, kTag, "EXITING: CKovaVssProvider::OnLunEmpty(%x)", result);
    return result;
  } catch (...) {
    return UnexpectedFailure();
  }
}

HRESULT CKovaVssProvider::ReleaseImportedLun(const VDS_LUN_INFORMATION& lun) {
  const std::string serial = LunSerial(lun);
  KovaArray* array = nullptr;
  std::string name;
  const HRESULT found = GetArrayAndVolumeNameInfo(lun, nullptr, array, name);
  // E_FAIL with an array: the array that owns the serial answered that it
  // holds no such LUN any more.
  const bool gone = found == E_FAIL && array != nullptr && ReadReleasedLunName(lun, name);
  if ((found != S_OK || array == nullptr) && !gone) {
    Logger::Write(LOG_ERROR, kTag, "Lun(%hs) is not found in any lumenstack to delete, error(%x)",
                  serial, found);
    LogEvent(kCategoryUserError, kEventTypeError, kEventVolumeNotOnKnownArray, "%hs", serial);
    return VSS_E_PROVIDER_VETO;
  }
  ImportedLun imported;
  HRESULT result = IdentifyImportedLun(*array, name, serial, imported);
  if (gone) {
    // Released by an earlier call that failed later on: only what it left
    // (the copy of a snapshot, the snapshot of a copy) is still released.
    if (ClassifyLunName(name) == LunNameKind::kSnapshot) {
      imported.snapshotName.clear();
    } else {
      imported.copyName.clear();
    }
  }
  // The copy goes first: it depends on its snapshot, never the reverse.
  if (result == S_OK) result = ReleaseVolumeCopy(*array, lun, imported);
  if (result == S_OK) result = ReleaseSnapshot(*array, imported);
  return result;
}

bool CKovaVssProvider::ReadReleasedLunName(const VDS_LUN_INFORMATION& lun, std::string& name) {
  // Only a name the provider gave can show the LUN was ours to release.
  if (FAILED(ReadVolumeName(lun, nullptr, name)) || ClassifyLunName(name) == LunNameKind::kUnknown) {
    return false;
  }
  Logger::Write(LOG_INFO, kTag,
                "OnLunEmpty: Lun (name=%hs, serial=%hs) is no longer on the array; releasing what "
                "is left of it",
                name, LunSerial(lun));
  return true;
}

HRESULT CKovaVssProvider::IdentifyImportedLun(KovaArray& array, const std::string& name,
                                              const std::string& serial, ImportedLun& found) {
  found.lunName = name;
  found.lunSerial = serial;
  switch (ClassifyOnArray(array, name)) {
    case LunNameKind::kVolumeCopy:
      Logger::Write(LOG_DEBUG, kTag, "OnLunEmpty: Lun identified as a volume copy (Name=%hs)",
                    name);
      found.copyName = name;
      found.copySerial = serial;
      array.FindSnapshotIdForVolumeCopy(name, found.snapshotSerial, found.snapshotName);
      if (!found.snapshotName.empty() && !IsProviderSnapshotName(found.snapshotName)) {
        // Copied from a snapshot someone else made: that one is not ours to delete.
        Logger::Write(LOG_WARN, kTag,
                      "OnLunEmpty: Snapshot (name=%hs, serial=%hs) was not made by the provider "
                      "and is kept.",
                      found.snapshotName, found.snapshotSerial);
        found.snapshotName.clear();
        found.snapshotSerial.clear();
      }
      return S_OK;
    case LunNameKind::kSnapshot:
      Logger::Write(LOG_DEBUG, kTag, "OnLunEmpty: Lun identified as a snapshot (Name=%hs)", name);
      found.snapshotName = name;
      found.snapshotSerial = serial;
      if (array.DoesVolumeNameExist(KovaArray::MakeVolumeCopyName(serial))) {
        found.copyName = KovaArray::MakeVolumeCopyName(serial);
      }
      return S_OK;
    case LunNameKind::kUnknown:
      break;
  }
  Logger::Write(LOG_ERROR, kTag,
                "OnLunEmpty: Lun (name=%hs, serial=%hs) is not a snapshot or volume copy.", name,
                serial);
  LogEvent(kCategoryUserError, kEventTypeError, kEventSnapshotDeletionFailed, kUnknownLunText, name,
           serial);
  return VSS_E_PROVIDER_VETO;
}

HRESULT CKovaVssProvider::ReleaseVolumeCopy(KovaArray& array, const VDS_LUN_INFORMATION& lun,
                                            const ImportedLun& found) {
  if (found.copyName.empty()) return S_OK;
  if (MapVolumeToHost(&array, found.copyName, lun.m_BusType, false) != 0) {
    Logger::Write(LOG_WARN, kTag, "OnLunEmpty: Volume(Id=%hs, Name=%hs) mapping to host FAILED!",
                  found.copySerial, found.copyName);
    ReportHostQueryFailure(kEventTypeWarning);
  } else {
    Logger::Write(LOG_INFO, kTag,
                  "OnLunEmpty: Volume(Id=%hs, Name=%hs) unmapped from host successfully",
                  found.copySerial, found.copyName);
  }
  if (DeleteSnapsAllows(LunNameKind::kVolumeCopy, DeleteSnapsSetting()) &&
      array.DeleteVolume(found.copyName, EradicateVolumesSetting()) != 0) {
    Logger::Write(LOG_ERROR, kTag, "OnLunEmpty: Volume (name=%hs, serial=%hs) was not deleted.",
                  found.copyName, found.copySerial);
    LogEvent(kCategoryUserError, kEventTypeError, kEventSnapshotDeletionFailed, kUnknownLunText,
             found.lunName, found.lunSerial);
    return VSS_E_PROVIDER_VETO;
  }
  Logger::Write(LOG_INFO, kTag, "OnLunEmpty: Volume (%hs, Id=%hs) deleted from array",
                found.copyName, found.copySerial);
  return S_OK;
}

HRESULT CKovaVssProvider::ReleaseSnapshot(KovaArray& array, const ImportedLun& found) {
  if (found.snapshotName.empty() ||
      !DeleteSnapsAllows(LunNameKind::kSnapshot, DeleteSnapsSetting())) {
    return S_OK;
  }
  if (array.DeleteVolume(found.snapshotName, EradicateVolumesSetting()) != 0) {
    Logger::Write(LOG_ERROR, kTag, "OnLunEmpty: Snapshot (name=%hs, serial=%hs) was not deleted.",
                  found.snapshotName, found.snapshotSerial);
    LogEvent(kCategoryUserError, kEventTypeError, kEventSnapshotDeletionFailed, kUnknownLunText,
             found.lunName, found.lunSerial);
    return VSS_E_PROVIDER_VETO;
  }
  Logger::Write(LOG_INFO, kTag, "OnLunEmpty: Snapshot [(Name=%hs, Id=%hs) deleted from array",
                found.snapshotName, found.snapshotSerial);
  return S_OK;
}

// --- OnLunStateChange -----------------------------------------------------

HRESULT CKovaVssProvider::OnLunStateChange(VDS_LUN_INFORMATION* snapshot_luns,
                                           VDS_LUN_INFORMATION* /*original_luns*/, DWORD count,
                                           DWORD flags) {
  try {
    Logger::Write(LOG_INFO, kTag, "ENTERING: CKovaVssProvider::OnLunStateChange()");
    std::lock_guard<std::recursive_mutex> hold(lock);
    if (snapshot_luns == nullptr) {
      Logger::Write(LOG_ERROR, kTag,
                    "EXITING: CKovaVssProvider::OnLunStateChange(%x). Lun information is null",
                    E_POINTER);
      return E_POINTER;
    }
    if ((flags & VSS_ONLUNSTATECHANGE_DO_MASK_LUNS) == 0) {
      Logger::Write(LOG_INFO, kTag,
                    "EXITING: CKovaVssProvider::OnLunStateChange(%x). Mask Luns Flag not set", 0);
      return S_OK;
    }
    HRESULT result = S_OK;
    try {
      for (DWORD i = 0; i < count && result == S_OK; ++i) result = MaskLun(snapshot_luns[i]);
    } catch (...) {
      result = MapCurrentException("Failed to disconnect the volume from host",
                                   kEventVolumeUnmappingFailed);
    }
    Logger::Write(LOG_INFO, kTag, "EXITING: CKovaVssProvider::OnLunStateChange(%x)", result);
    return result;
  } catch (...) {
    return UnexpectedFailure();
  }
}

HRESULT CKovaVssProvider::MaskLun(const VDS_LUN_INFORMATION& lun) {
  const std::string serial = LunSerial(lun);
  KovaArray* array = nullptr;
  std::string name;
  const HRESULT found = GetArrayAndVolumeNameInfo(lun, nullptr, array, name);
  if (found != S_OK || array == nullptr) {
    Logger::Write(LOG_ERROR, kTag, "Volume(%hs) not found in lumenstack to delete, error(%x)",
                  serial, found);
    LogEvent(kCategoryUserError, kEventTypeError, kEventVolumeNotOnKnownArray, "%hs", serial);
    return VSS_E_PROVIDER_VETO;
  }
  if (MapVolumeToHost(array, name, lun.m_BusType, false) != 0) {
    Logger::Write(LOG_WARN, kTag,
                  "OnLunStateChange: Volume(Id=%hs, Name=%hs) mapping to host FAILED!", serial,
                  name);
    ReportHostQueryFailure(kEventTypeWarning);
  } else {
    Logger::Write(LOG_INFO, kTag,
                  "OnLunStateChange: Volume(Id=%hs, Name=%hs) unmapped from host successfully",
                  serial, name);
  }
  DeleteMaskedVolume(*array, name);
  return S_OK;
}

// --- ResyncLuns -----------------------------------------------------------

HRESULT CKovaVssProvider::ResyncLuns(VDS_LUN_INFORMATION* source_luns,
                                     VDS_LUN_INFORMATION* target_luns, DWORD count,
                                     IVssAsync** /*async*/) {
  try {
    Logger::Write(LOG_INFO, kTag, "ENTERING : CKovaVssProvider::ResyncLuns()");
    std::lock_guard<std::recursive_mutex> hold(lock);
    if (source_luns == nullptr || target_luns == nullptr) {
      Logger::Write(LOG_ERROR, kTag,
                    "EXITING: CKovaVssProvider::ResyncLuns(%x). LUN Info NULL. Invalid Argument.",
                    E_POINTER);
      return E_POINTER;
    }
    if (CheckCallerIsAdministrator() != S_OK) {
      return RefuseUnauthorizedCaller(
          "EXITING : CKovaVssProvider::ResyncLuns(%x). Authorization failure");
    }
    for (DWORD i = 0; i < count; ++i) {
      if (!HasIdentifierList(source_luns[i]) || !HasIdentifierList(target_luns[i])) {
        Logger::Write(
            LOG_ERROR, kTag,
            "EXITING: CKovaVssProvider::ResyncLuns(%x). Invalid Argument: LUN Info is NULL",
            E_INVALIDARG);
        return E_INVALIDARG;
      }
    }
    const HRESULT result = ResyncLunPairs(source_luns, target_luns, count);
    Logger::Write(LOG_INFO, kTag, "EXITING: CKovaVssProvider::ResyncLuns(%x)", result);
    return result;
  } catch (...) {
    return UnexpectedFailure();
  }
}

HRESULT CKovaVssProvider::ResyncLunPairs(VDS_LUN_INFORMATION* sources, VDS_LUN_INFORMATION* targets,
                                         DWORD count) {
  HRESULT result = S_OK;
  try {
    for (DWORD i = 0; i < count; ++i) {
      const HRESULT pair = ResyncLunPair(sources[i], targets[i]);
      // A refused pair (VSS_E_PROVIDER_VETO) fails the call even when later
      // pairs copy; a LUN that is on no array ends the call at once.
      if (FAILED(pair) && SUCCEEDED(result)) result = pair;
      if (pair != S_OK && pair != VSS_E_PROVIDER_VETO) return pair;
    }
  } catch (const KovaStorage::KovaRestException& e) {
    Logger::Write(LOG_ERROR, kTag, "Resync failed.");
    LogEvent(kCategoryUserError, kEventTypeError, kEventResyncFailed, "Resync Failed: %hs",
             e.what());
    result = VSS_E_PROVIDER_VETO;
  } catch (...) {
    result = MapCurrentException("Resync failed.", kEventResyncFailed);
  }
  return result;
}

HRESULT CKovaVssProvider::FindResyncVolume(const VDS_LUN_INFORMATION& lun, const char* missing,
                                           KovaArray*& array, std::string& name) {
  const HRESULT found = GetArrayAndVolumeNameInfo(lun, nullptr, array, name);
  if (found == S_OK && array != nullptr) return S_OK;
  Logger::Write(LOG_INFO, kTag, missing, LunSerial(lun));
  LogEvent(kCategoryUserError, kEventTypeError, kEventVolumeNotOnKnownArray, "%hs", LunSerial(lun));
  return FAILED(found) ? found : E_FAIL;
}

HRESULT CKovaVssProvider::ResyncLunPair(const VDS_LUN_INFORMATION& source,
                                        const VDS_LUN_INFORMATION& target) {
  KovaArray* sourceArray = nullptr;
  std::string sourceName;
  HRESULT found = FindResyncVolume(source, "Source volume(%hs) does not exist in any lumenstack",
                                   sourceArray, sourceName);
  if (found != S_OK) return found;
  KovaArray* targetArray = nullptr;
  std::string targetName;
  found = FindResyncVolume(target, "Target volume(%hs) does not exist in any lumenstack",
                           targetArray, targetName);
  if (found != S_OK) return found;
  if (sourceArray->GetCachedArrayID() != targetArray->GetCachedArrayID()) {
    Logger::Write(LOG_ERROR, kTag,
                  "Resync failed. Both Target(%hs) and Source(%hs) volumes do not belong to the "
                  "same kova array",
                  targetName, sourceName);
    LogEvent(kCategoryUserError, kEventTypeError, kEventResyncFailed,
             "Error: Both Target(%hs) and Source(%hs) volumes do not belong to the same kova array",
             targetName, sourceName);
    return VSS_E_PROVIDER_VETO;
  }
  if (sourceArray->CopyVolume(sourceName, targetName) != 0) {
    Logger::Write(LOG_ERROR, kTag, "Resync failed: Internal error while copying volume");
    LogEvent(kCategoryUserError, kEventTypeError, kEventResyncFailed, "%hs",
             "Resync failed: Internal error while copying volume");
    return VSS_E_PROVIDER_VETO;
  }
  Logger::Write(LOG_INFO, kTag, "Volume copy resync initiated from %hs to %hs", sourceName,
                targetName);
  return S_OK;
}

// --- OnReuseLuns ----------------------------------------------------------

HRESULT CKovaVssProvider::OnReuseLuns(VDS_LUN_INFORMATION* /*snapshot_luns*/,
                                      VDS_LUN_INFORMATION* /*original_luns*/, DWORD /*count*/) {
  try {
    std::lock_guard<std::recursive_mutex> hold(lock);
    Logger::Write(LOG_ERROR, kTag, "Unsupported(OnReuseLuns()) VSS API got called.");
    return E_NOTIMPL;
  } catch (...) {
    return UnexpectedFailure();
  }
}
