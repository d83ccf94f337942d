#include "provider/vss/lun_information.h"

#include <cctype>
#include <cstring>
#include <sstream>

#include "library/log/log_tags.h"
#include "library/log/logger.h"

namespace {

constexpr const char* kTag = kProviderLogTag;
constexpr size_t kMaxVolumeNameLength = 255;

std::string TextOf(const char* text) { return text != nullptr ? std::string(text) : std::string(); }

// Bytes up to the first NUL, never more than |count|.
std::string BoundedText(const BYTE* bytes, ULONG count) {
  if (bytes == nullptr) return std::string();
  const auto* text = reinterpret_cast<const char*>(bytes);
  size_t length = 0;
  while (length < count && text[length] != '\0') ++length;
  return std::string(text, length);
}

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
        << ", Port:" << BoundedText(link.m_pbPort, link.m_cbPort)
        << ", Address:" << BoundedText(link.m_pbAddress, link.m_cbAddress) << "\n";
  }
}

// A task-memory copy of |text|; false only when the allocation fails.
bool CopyTaskString(const char* text, char*& copy) {
  copy = nullptr;
  if (text == nullptr) return true;
  const size_t size = std::strlen(text) + 1;
  copy = static_cast<char*>(CoTaskMemAlloc(size));
  if (copy == nullptr) return false;
  std::memcpy(copy, text, size);
  return true;
}

// An ASCII identifier of |type| holding |text| and a NUL.
bool FillIdentifier(VDS_STORAGE_IDENTIFIER& id, VDS_STORAGE_IDENTIFIER_TYPE type,
                    const std::string& text) {
  id.m_CodeSet = VDSStorageIdCodeSetAscii;
  id.m_Type = type;
  id.m_cbIdentifier = 0;
  id.m_rgbIdentifier = static_cast<BYTE*>(CoTaskMemAlloc(text.size() + 1));
  if (id.m_rgbIdentifier == nullptr) return false;
  std::memcpy(id.m_rgbIdentifier, text.c_str(), text.size() + 1);
  id.m_cbIdentifier = static_cast<ULONG>(text.size() + 1);
  return true;
}

bool CopyStrings(const VDS_LUN_INFORMATION& source, const std::string& serial,
                 VDS_LUN_INFORMATION& target) {
  return CopyTaskString(source.m_szVendorId, target.m_szVendorId) &&
         CopyTaskString(source.m_szProductId, target.m_szProductId) &&
         CopyTaskString(source.m_szProductRevision, target.m_szProductRevision) &&
         CopyTaskString(serial.c_str(), target.m_szSerialNumber);
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

bool ReadVolumeNameIdentifier(const VDS_LUN_INFORMATION& lun, std::string& name) {
  const VDS_STORAGE_DEVICE_ID_DESCRIPTOR& ids = lun.m_deviceIdDescriptor;
  if (ids.m_rgIdentifiers == nullptr) return false;
  for (ULONG i = 0; i < ids.m_cIdentifiers; ++i) {
    const VDS_STORAGE_IDENTIFIER& id = ids.m_rgIdentifiers[i];
    if (id.m_Type == VDSStorageIdTypeVendorSpecific && id.m_cbIdentifier > 0 &&
        id.m_CodeSet == VDSStorageIdCodeSetAscii) {
      name = BoundedText(id.m_rgbIdentifier, id.m_cbIdentifier);
      return true;
    }
  }
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

void FreeLunInformation(VDS_LUN_INFORMATION& lun) {
  CoTaskMemFree(lun.m_szVendorId);
  lun.m_szVendorId = nullptr;
  CoTaskMemFree(lun.m_szProductId);
  lun.m_szProductId = nullptr;
  CoTaskMemFree(lun.m_szProductRevision);
  lun.m_szProductRevision = nullptr;
  CoTaskMemFree(lun.m_szSerialNumber);
  lun.m_szSerialNumber = nullptr;
  VDS_STORAGE_DEVICE_ID_DESCRIPTOR& ids = lun.m_deviceIdDescriptor;
  if (ids.m_rgIdentifiers != nullptr) {
    for (ULONG i = 0; i < ids.m_cIdentifiers; ++i) {
      CoTaskMemFree(ids.m_rgIdentifiers[i].m_rgbIdentifier);
      ids.m_rgIdentifiers[i].m_rgbIdentifier = nullptr;
    }
    CoTaskMemFree(ids.m_rgIdentifiers);
    ids.m_rgIdentifiers = nullptr;
  }
  if (lun.m_rgInterconnects != nullptr) {
    for (ULONG i = 0; i < lun.m_cInterconnects; ++i) {
      CoTaskMemFree(lun.m_rgInterconnects[i].m_pbPort);
      lun.m_rgInterconnects[i].m_pbPort = nullptr;
      CoTaskMemFree(lun.m_rgInterconnects[i].m_pbAddress);
      lun.m_rgInterconnects[i].m_pbAddress = nullptr;
    }
    CoTaskMemFree(lun.m_rgInterconnects);
    lun.m_rgInterconnects = nullptr;
  }
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
  target.m_deviceIdDescriptor.m_cIdentifiers = 0;
  target.m_cInterconnects = 0;
  if (!CopyStrings(source, snapshot_serial, target)) {
    Logger::Write(LOG_ERROR, kTag, "EXITNG: CKovaVssProvider::GetTargetLuns(%x). Memory allocation failure",
                  E_OUTOFMEMORY);
    return E_OUTOFMEMORY;
  }
  auto* ids = static_cast<VDS_STORAGE_IDENTIFIER*>(CoTaskMemAlloc(2 * sizeof(VDS_STORAGE_IDENTIFIER)));
  if (ids == nullptr) return E_OUTOFMEMORY;
  std::memset(static_cast<void*>(ids), 0, 2 * sizeof(VDS_STORAGE_IDENTIFIER));
  target.m_deviceIdDescriptor.m_rgIdentifiers = ids;
  target.m_deviceIdDescriptor.m_cIdentifiers = 2;
  if (!FillIdentifier(ids[0], VDSStorageIdTypeVendorId, kTargetVendorIdPrefix + snapshot_serial) ||
      !FillIdentifier(ids[1], VDSStorageIdTypeVendorSpecific, snapshot_name)) {
    return E_OUTOFMEMORY;
  }
  return S_OK;
}
