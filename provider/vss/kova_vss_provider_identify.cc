// LUN identification: which configured array holds a LUN's volume, and the
// volume's current name there. Results are kept in lunCache and confirmed
// with the array on every use.
#include <string>
#include <vector>

#include "library/log/logger.h"
#include "library/rest/kova_array.h"
#include "provider/identity/page83_volume_name.h"
#include "provider/lun/lun_volume_name.h"
#include "provider/vss/kova_vss_provider.h"
#include "provider/vss/provider_failures.h"

namespace {

constexpr const char* kTag = kProviderLogTag;

}  // namespace

HRESULT CKovaVssProvider::GetArrayAndVolumeNameInfo(const VDS_LUN_INFORMATION& lun,
                                                    VSS_PWSZ device, KovaArray*& array,
                                                    std::string& volumeName) {
  Logger::Write(LOG_DEBUG, kTag, "ENTERING: CKovaVssProvider::GetArrayAndVolumeNameInfo()");
  const std::string serial = LunSerial(lun);
  HRESULT status = E_FAIL;
  std::string name;
  const auto cached = lunCache.find(serial);
  if (cached == lunCache.end()) {
    array = nullptr;
    status = FindArrayForSerial(serial, array);
    if (status != S_OK) {
      Logger::Write(LOG_DEBUG, kTag, "EXITING: CKovaVssProvider::GetArrayAndVolumeNameInfo(%x)",
                    status);
      return status;
    }
    status = ReadVolumeName(lun, device, name);
  } else {
    name = cached->second.volumeName;
    array = cached->second.array;
    status = S_OK;
  }
  if (SUCCEEDED(status) && !ConfirmVolumeName(*array, name, serial)) status = E_FAIL;
  if (FAILED(status)) {
    Logger::Write(LOG_DEBUG, kTag,
                  "GetArrayAndVolumeNameInfo: Array scan fallback to find volume name for serial (%hs)",
                  serial);
    status = ScanArrayForSerial(*array, serial, name);
    if (FAILED(status)) {
      Logger::Write(LOG_DEBUG, kTag, "EXITING: CKovaVssProvider::GetArrayAndVolumeNameInfo(%x)",
                    status);
      return status;
    }
  }
  if (cached == lunCache.end()) {
    lunCache[serial] = LunCacheEntry{name, array};
  } else if (cached->second.volumeName != name) {
    cached->second.volumeName = name;
  }
  volumeName = name;
  Logger::Write(LOG_DEBUG, kTag, "EXITING: CKovaVssProvider::GetArrayAndVolumeNameInfo(%x)", S_OK);
  return S_OK;
}

HRESULT CKovaVssProvider::FindArrayForSerial(const std::string& serial, KovaArray*& array) {
  std::vector<KovaArray*> arrays;
  kovaLibrary.GetArrayList(arrays);
  for (KovaArray* candidate : arrays) {
    if (candidate == nullptr) return E_POINTER;
    if (candidate->DoesVolumeBelongToArray(serial)) {
      array = candidate;
      return S_OK;
    }
  }
  return E_FAIL;
}

HRESULT CKovaVssProvider::ReadVolumeName(const VDS_LUN_INFORMATION& lun, VSS_PWSZ device,
                                         std::string& name) {
  HRESULT status = E_FAIL;
  if (ReadVolumeNameIdentifier(lun, name)) {
    status = S_OK;
  } else if (device != nullptr) {
    status = QueryPage83VolumeName(utility::string_t(device), name);
  }
  // The name goes into a request path: text that is no object name on an
  // array is not sent, and the array scan finds the volume instead.
  if (SUCCEEDED(status) && !IsUsableVolumeName(name)) {
    Logger::Write(LOG_WARN, kTag,
                  "GetArrayAndVolumeNameInfo: Ignoring unusable volume name for serial (%hs)",
                  LunSerial(lun));
    status = E_FAIL;
  }
  return status;
}

bool CKovaVssProvider::ConfirmVolumeName(KovaArray& array, const std::string& name,
                                         const std::string& serial) {
  std::string reported;
  return array.GetVolumeSerialID(name, reported) == 0 && reported == serial;
}

HRESULT CKovaVssProvider::ScanArrayForSerial(KovaArray& array, const std::string& serial,
                                             std::string& name) {
  if (array.CheckVolumeWithArray(serial, name, false) == 0) return S_OK;
  if (array.CheckVolumeWithArray(serial, name, true) == 0) return S_OK;
  return E_FAIL;
}
