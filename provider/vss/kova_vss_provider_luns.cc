// LUN support and LUN information: whether the provider takes part in a
// shadow copy, and the records of the snapshot LUNs it describes to VSS.
#include <string>

#include "library/log/logger.h"
#include "library/rest/kova_array.h"
#include "provider/vss/device_names.h"
#include "provider/vss/kova_vss_provider.h"
#include "provider/vss/provider_failures.h"

namespace {

constexpr const char* kTag = kProviderLogTag;

utility::string_t DeviceText(VSS_PWSZ device) {
  return device != nullptr ? utility::string_t(device) : utility::string_t();
}

}  // namespace

HRESULT CKovaVssProvider::AreLunsSupported(LONG lun_count, LONG context, VSS_PWSZ* devices,
                                           VDS_LUN_INFORMATION* luns, BOOL* is_supported) {
  try {
    const std::string rule(47, '*');
    Logger::Write(LOG_INFO, kTag, "%hs", rule);
    Logger::Write(LOG_INFO, kTag, "ENTERING : CKovaVssProvider::AreLunsSupported()");
    Logger::Write(LOG_INFO, kTag, "%hs", rule);
    std::lock_guard<std::recursive_mutex> hold(lock);
    if (is_supported == nullptr || lun_count < 0 || (lun_count > 0 && luns == nullptr)) {
      Logger::Write(LOG_ERROR, kTag,
                    "EXITING: CKovaVssProvider::AreLunsSupported(%x). Invalid argument: Null pointer",
                    E_POINTER);
      return E_POINTER;
    }
    *is_supported = FALSE;
    if (CheckCallerIsAdministrator() != S_OK) {
      return RefuseUnauthorizedCaller(
          "EXITING: CKovaVssProvider::AreLunsSupported(%x). Authorization failure");
    }
    if ((context & VSS_VOLSNAP_ATTR_PLEX) != 0) {
      LogEvent(kCategoryUserError, kEventTypeWarning, kEventPlexSnapshotsUnsupported, "");
      Logger::Write(LOG_WARN, kTag,
                    "EXITING: CKovaVssProvider::AreLunsSupported(%x). Provider does not support "
                    "Plex snapshots",
                    VSS_E_PROVIDER_VETO);
      return VSS_E_PROVIDER_VETO;
    }
    HRESULT result = CheckLunsAreKova(lun_count, luns);
    if (result == S_FALSE) return S_OK;
    if (FAILED(result)) return result;
    result = LocateSupportedLuns(lun_count, devices, luns);
    *is_supported = result == S_OK ? TRUE : FALSE;
    if (result == S_FALSE) result = S_OK;
    Logger::Write(LOG_INFO, kTag, "EXITING : CKovaVssProvider::AreLunsSupported(%x)", result);
    return result;
  } catch (...) {
    return UnexpectedFailure();
  }
}

HRESULT CKovaVssProvider::CheckLunsAreKova(LONG lun_count, VDS_LUN_INFORMATION* luns) {
  for (LONG i = 0; i < lun_count; ++i) {
    const VDS_LUN_INFORMATION& lun = luns[i];
    if (!HasIdentifierList(lun)) {
      Logger::Write(LOG_ERROR, kTag,
                    "EXITING: CKovaVssProvider::AreLunsSupported(%x). Identifier information is null.",
                    E_INVALIDARG);
      return E_INVALIDARG;
    }
    if (!HasKovaVendorId(lun)) {
      Logger::Write(LOG_DEBUG, kTag, "Non KOVA Lun encountered. VendorId=%hs", LunVendorId(lun));
      Logger::Write(LOG_WARN, kTag,
                    "EXITING: AreLunsSupported. Serial=%hs VendorId=%hs - is not a KOVA lun",
                    LunSerial(lun), LunVendorId(lun));
      return S_FALSE;
    }
  }
  return S_OK;
}

HRESULT CKovaVssProvider::LocateSupportedLuns(LONG lun_count, VSS_PWSZ* devices,
                                              VDS_LUN_INFORMATION* luns) {
  try {
    for (LONG i = 0; i < lun_count; ++i) {
      const std::string serial = LunSerial(luns[i]);
      Logger::Write(LOG_INFO, kTag, "CKovaVssProvider::AreLunsSupported(%d): Serial=%hs VendorId=%hs",
                    i, serial, LunVendorId(luns[i]));
      KovaArray* array = nullptr;
      std::string name;
      const HRESULT found = GetArrayAndVolumeNameInfo(luns[i], DeviceAt(devices, i), array, name);
      if (FAILED(found)) {
        Logger::Write(LOG_INFO, kTag,
                      "Lun serial %hs could not be located in a configured KOVA array.HR=%08x",
                      serial, found);
        return S_FALSE;
      }
      Logger::Write(LOG_INFO, kTag, "Lun serial(%hs) is found as volume(%hs) in KOVA array(URL=%ls)",
                    serial, name, array->Url());
    }
    return S_OK;
  } catch (...) {
    return MapCurrentException("AreLunsSupported: Failed to check for a volume. Exception: %hs",
                               kEventVolumeCheckFailed);
  }
}

HRESULT CKovaVssProvider::FillInLunInfo(VSS_PWSZ device, VDS_LUN_INFORMATION* lun,
                                        BOOL* is_supported) {
  try {
    Logger::Write(LOG_INFO, kTag, "ENTERING: CKovaVssProvider::FillInLunInfo(). Device Name=%ls",
                  DeviceText(device));
    std::lock_guard<std::recursive_mutex> hold(lock);
    if (lun == nullptr || is_supported == nullptr) {
      Logger::Write(LOG_ERROR, kTag,
                    "EXITING: CKovaVssProvider::FillInLunInfo(%x). Invalid argument: Null pointer",
                    E_POINTER);
      return E_POINTER;
    }
    *is_supported = FALSE;
    if (CheckCallerIsAdministrator() != S_OK) {
      return RefuseUnauthorizedCaller(
          "EXITING: CKovaVssProvider::FillInLunInfo(%x). Authorization failure");
    }
    const HRESULT result = DescribeLun(device, *lun, is_supported);
    Logger::Write(LOG_INFO, kTag, "EXITING: CKovaVssProvider::FillInLunInfo(%x)", result);
    return result;
  } catch (...) {
    return UnexpectedFailure();
  }
}

HRESULT CKovaVssProvider::DescribeLun(VSS_PWSZ device, const VDS_LUN_INFORMATION& lun,
                                      BOOL* is_supported) {
  if (!IsKovaLun(lun)) return S_OK;
  if (!HasIdentifierList(lun)) {
    Logger::Write(LOG_ERROR, kTag,
                  "EXITING: CKovaVssProvider::FillInLunInfo(%x). VDS descriptor identifier is null",
                  E_INVALIDARG);
    return E_INVALIDARG;
  }
  try {
    const std::string serial = LunSerial(lun);
    KovaArray* array = nullptr;
    std::string name;
    HRESULT result = GetArrayAndVolumeNameInfo(lun, device, array, name);
    if (FAILED(result)) {
      LogEvent(kCategoryUserError, kEventTypeError, kEventVolumeCheckFailed, "%hs", serial);
      Logger::Write(LOG_ERROR, kTag,
                    "FillInLunInfo: Lun serial %hs could not be located in a configured KOVA "
                    "array.HR=%08x",
                    serial, result);
      result = VSS_E_PROVIDER_VETO;
    }
    *is_supported = TRUE;
    DumpLunInformation("VDS Lun Info for volume (name=" + name + ", serial=" + serial + ")", lun);
    return result;
  } catch (...) {
    return MapCurrentException("Failed to check for a volume/snapshot with the array",
                               kEventVolumeCheckFailed);
  }
}

HRESULT CKovaVssProvider::GetTargetLuns(LONG lun_count, VSS_PWSZ* devices,
                                        VDS_LUN_INFORMATION* source_luns,
                                        VDS_LUN_INFORMATION* destination_luns) {
  try {
    Logger::Write(LOG_INFO, kTag, "ENTERING: CKovaVssProvider::GetTargetLuns()");
    std::lock_guard<std::recursive_mutex> hold(lock);
    if (CheckCallerIsAdministrator() != S_OK) {
      return RefuseUnauthorizedCaller(
          "EXITING : CKovaVssProvider::GetTargetLuns(%x). Authorization failure");
    }
    if (source_luns == nullptr || destination_luns == nullptr || lun_count < 0) {
      Logger::Write(LOG_ERROR, kTag,
                    "EXITING: CKovaVssProvider::GetTargetLuns(%x). Invalid argument: Lun pointer is null",
                    E_POINTER);
      return E_POINTER;
    }
    for (LONG i = 0; i < lun_count; ++i) {
      const HRESULT result =
          GetTargetLun(DeviceAt(devices, i), source_luns[i], destination_luns[i]);
      if (FAILED(result)) {
        EndSetWithoutTargets();
        return result;
      }
    }
    Logger::Write(LOG_INFO, kTag, "EXITING: CKovaVssProvider::GetTargetLuns(%x)", S_OK);
    return S_OK;
  } catch (...) {
    return UnexpectedFailure();
  }
}

HRESULT CKovaVssProvider::GetTargetLun(VSS_PWSZ device, const VDS_LUN_INFORMATION& source,
                                       VDS_LUN_INFORMATION& target) {
  try {
    const std::string serial = LunSerial(source);
    if (!HasIdentifierList(source)) {
      Logger::Write(LOG_ERROR, kTag, "Source lun (%hs) VDS descriptor identifier is null", serial);
      return S_FALSE;
    }
    KovaArray* array = nullptr;
    std::string name;
    if (FAILED(GetArrayAndVolumeNameInfo(source, device, array, name))) {
      LogEvent(kCategoryUserError, kEventTypeError, kEventVolumeCheckFailed,
               "Internal Error. No Lumenstack owns the volume '%hs'", serial);
      Logger::Write(LOG_ERROR, kTag,
                    "EXITING: CKovaVssProvider::GetTargetLuns. No Lumenstack owns the volume '%hs'",
                    serial);
      return VSS_E_PROVIDER_VETO;
    }
    Logger::Write(LOG_INFO, kTag, "GetTargetLuns. Source Lun: Volume id=(%hs), name=(%hs)", serial,
                  name);
    const PendingSnapshot* record = FindPendingSnapshot(serial);
    // A LUN of the set whose snapshot was never made has no target either.
    if (record == nullptr || record->snapshotSerial.empty()) {
      LogEvent(kCategoryUserError, kEventTypeError, kEventVolumeCheckFailed,
               "Internal Error. Could not find the snapshot associated with volume '%hs'", serial);
      Logger::Write(LOG_ERROR, kTag,
                    "EXITING: CKovaVssProvider::GetTargetLuns. Could not find the snapshot "
                    "associated with volume '%hs'",
                    serial);
      return VSS_E_PROVIDER_VETO;
    }
    Logger::Write(LOG_INFO, kTag, "GetTargetLuns. Target Lun: Snapshot id=(%hs), name=(%hs)",
                  record->snapshotSerial, record->snapshotName);
    return FillTargetLunInformation(source, record->snapshotSerial, record->snapshotName, target);
  } catch (...) {
    return MapCurrentException("GetTargetLuns: Failed to check for a volume. Exception: %hs",
                               kEventVolumeCheckFailed);
  }
}
