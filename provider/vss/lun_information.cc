#include "provider/vss/lun_information.h"

#include <cctype>
#include <cstring>
#include <new>
#include <sstream>

#include "library/log/log_tags.h"
#include "library/log/logger.h"
#include "provider/lun/lun_record.h"

namespace {

constexpr const char* kTag = kProviderLogTag;
constexpr size_t kMaxVolumeNameLength = 255;

std::string TextOf(const char* text) { return text != nullptr ? std::string(text) : std::string(); }

std::string IdentifierData(const VDS_STORAGE_IDENTIFIER& id) {
  if (id.m_CodeSet != VDSStorageIdCodeSetAscii || id.m_cbIdentifier == 0 ||
      id.m_rgbIdentifier == nullptr) {
    return "#NotASCII#";
  }
  std::string data(reinterpret_cast<const char*>(id.m_rgbIdentifier), id.m_cbIdentifier);
  for (char& c : data) {
    if (c == '\0') c = ' ';
  }
  return data;
}

void AppendIdentifiers(std::ostringstream& out, const VDS_STORAGE_DEVICE_ID_DESCRIPTOR& ids) {
  if (ids.m_cIdentifiers == 0) return;
  out << "Identifiers Count:" << ids.m_cIdentifiers << "\n";
  if (ids.m_rgIdentifiers == nullptr) return;
  for (ULONG i = 0; i < ids.m_cIdentifiers; ++i) {
    const VDS_STORAGE_IDENTIFIER& id = ids.m_rgIdentifiers[i];
    out << "Identifier #" << i << ": Codeset:" << static_cast<int>(id.m_CodeSet)
        << ", Type:" << static_cast<int>(id.m_Type) << ", Size:" << id.m_cbIdentifier
        << ", Data:" << IdentifierData(id) << "\n";
  }
}

void AppendInterconnects(std::ostringstream& out, const VDS_LUN_INFORMATION& lun) {
  if (lun.m_cInterconnects == 0) return;
  out << "Interconnects Count:" << lun.m_cInterconnects << "\n";
  if (lun.m_rgInterconnects == nullptr) return;
  for (ULONG i = 0; i < lun.m_cInterconnects; ++i) {
    const VDS_INTERCONNECT& link = lun.m_rgInterconnects[i];
    out << "Interconnect #" << i << "\n"
        << ": Address Type:" << static_cast<int>(link.m_addressType)
        << ", Port size:" << link.m_cbPort << ", Address size:" << link.m_cbAddress
        << ", Port:" << TextOfBytes(link.m_pbPort, link.m_cbPort)
        << ", Address:" << TextOfBytes(link.m_pbAddress, link.m_cbAddress) << "\n";
  }
}

// An ASCII identifier of |type| holding |text| and a NUL.
void FillIdentifier(VDS_STORAGE_IDENTIFIER& id, VDS_STORAGE_IDENTIFIER_TYPE type,
                    const std::string& text) {
  id.m_CodeSet = VDSStorageIdCodeSetAscii;
  id.m_Type = type;
  id.m_rgbIdentifier = reinterpret_cast<BYTE*>(TaskMemoryString(text));
  id.m_cbIdentifier = static_cast<ULONG>(text.size() + 1);
}

// Each string is placed as soon as it is made, so that on std::bad_alloc
// those already made stay in |target| for its owner to free.
void CopyStrings(const VDS_LUN_INFORMATION& source, const std::string& serial,
                 VDS_LUN_INFORMATION& target) {
  target.m_szVendorId = TaskMemoryString(source.m_szVendorId);
  target.m_szProductId = TaskMemoryString(source.m_szProductId);
  target.m_szProductRevision = TaskMemoryString(source.m_szProductRevision);
  target.m_szSerialNumber = TaskMemoryString(serial);
}

void FillIdentifiers(const std::string& snapshot_serial, const std::string& snapshot_name,
                     VDS_STORAGE_DEVICE_ID_DESCRIPTOR& ids) {
  ids.m_rgIdentifiers = TaskMemoryArray<VDS_STORAGE_IDENTIFIER>(2);
  ids.m_cIdentifiers = 2;
  FillIdentifier(ids.m_rgIdentifiers[0], VDSStorageIdTypeVendorId,
                 kTargetVendorIdPrefix + snapshot_serial);
  FillIdentifier(ids.m_rgIdentifiers[1], VDSStorageIdTypeVendorSpecific, snapshot_name);
}

}  // namespace

std::string LunSerial(const VDS_LUN_INFORMATION& lun) { return TextOf(lun.m_szSerialNumber); }

std::string LunVendorId(const VDS_LUN_INFORMATION& lun) { return TextOf(lun.m_szVendorId); }

bool HasIdentifierList(const VDS_LUN_INFORMATION& lun) {
  return lun.m_deviceIdDescriptor.m_rgIdentifiers != nullptr;
}

bool HasKovaVendorId(const VDS_LUN_INFORMATION& lun) {
  return lun.m_szVendorId != nullptr && std::strncmp(lun.m_szVendorId, "KOVA", 4) == 0;
}

bool IsKovaLun(const VDS_LUN_INFORMATION& lun) {
  if (HasKovaVendorId(lun)) return true;
  Logger::Write(LOG_DEBUG, kTag, "Non KOVA Lun encountered. VendorId=%hs", LunVendorId(lun));
  return false;
}

bool IsUsableVolumeName(const std::string& name) {
  if (name.empty() || name.size() > kMaxVolumeNameLength) return false;
  if (std::isalnum(static_cast<unsigned char>(name[0])) == 0) return false;
  for (char c : name) {
    if (std::isalnum(static_cast<unsigned char>(c)) == 0 && c != '-' && c != '_' && c != '.') {
      return false;
    }
  }
  return true;
}

std::string FormatLunInformation(const std::string& title, const VDS_LUN_INFORMATION& lun) {
  std::ostringstream out;
  out << "\n------ " << title << " ------\n";
  out << "Serial No:" << TextOf(lun.m_szSerialNumber)
      << ", Product Revision:" << TextOf(lun.m_szProductRevision)
      << ", Product Id:" << TextOf(lun.m_szProductId) << ", Vendor Id:" << TextOf(lun.m_szVendorId)
      << "\n";
  AppendIdentifiers(out, lun.m_deviceIdDescriptor);
  AppendInterconnects(out, lun);
  return out.str();
}

void DumpLunInformation(const std::string& title, const VDS_LUN_INFORMATION& lun) {
  Logger::Write(LOG_TRACE, kTag, "%hs", FormatLunInformation(title, lun));
}

HRESULT FillTargetLunInformation(const VDS_LUN_INFORMATION& source,
                                 const std::string& snapshot_serial,
                                 const std::string& snapshot_name, VDS_LUN_INFORMATION& target) {
  FreeLunInformation(target);
  target.m_version = VER_VDS_LUN_INFORMATION;
  target.m_DeviceType = source.m_DeviceType;
  target.m_DeviceTypeModifier = source.m_DeviceTypeModifier;
  target.m_bCommandQueueing = source.m_bCommandQueueing;
  target.m_BusType = source.m_BusType;
  target.m_diskSignature = GUID_NULL;
  target.m_deviceIdDescriptor.m_version = source.m_deviceIdDescriptor.m_version;
  try {
    CopyStrings(source, snapshot_serial, target);
  } catch (const std::bad_alloc&) {
    Logger::Write(LOG_ERROR, kTag, "EXITNG: CKovaVssProvider::GetTargetLuns(%x). Memory allocation failure",
                  E_OUTOFMEMORY);
    return E_OUTOFMEMORY;
  }
  try {
    FillIdentifiers(snapshot_serial, snapshot_name, target.m_deviceIdDescriptor);
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
  return S_OK;
}
