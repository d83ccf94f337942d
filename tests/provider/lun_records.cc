#include "tests/provider/lun_records.h"

#include <cstring>
#include <stdexcept>

namespace {

char* TaskString(const std::string& text) {
  auto* copy = static_cast<char*>(CoTaskMemAlloc(text.size() + 1));
  if (copy == nullptr) throw std::bad_alloc();
  std::memcpy(copy, text.c_str(), text.size() + 1);
  return copy;
}

BYTE* TaskBytes(const std::string& text) {
  return reinterpret_cast<BYTE*>(TaskString(text));
}

VDS_STORAGE_IDENTIFIER* MakeIdentifiers(const LunSpec& wanted, ULONG& count) {
  // A binary EUI-64 first, so readers must skip identifiers of other types.
  count = wanted.volume_name.empty() ? 1 : 2;
  auto* ids = static_cast<VDS_STORAGE_IDENTIFIER*>(
      CoTaskMemAlloc(sizeof(VDS_STORAGE_IDENTIFIER) * count));
  if (ids == nullptr) throw std::bad_alloc();
  ids[0] = VDS_STORAGE_IDENTIFIER{VDSStorageIdCodeSetBinary, VDSStorageIdTypeEUI64, 8,
                                  TaskBytes(std::string("\x24\xa9\x37\x00\x00\x01\x02", 7))};
  if (count == 2) {
    ids[1] = VDS_STORAGE_IDENTIFIER{wanted.name_code_set, VDSStorageIdTypeVendorSpecific,
                                    static_cast<ULONG>(wanted.volume_name.size() + 1),
                                    TaskBytes(wanted.volume_name)};
  }
  return ids;
}

VDS_INTERCONNECT* MakeInterconnect() {
  auto* link = static_cast<VDS_INTERCONNECT*>(CoTaskMemAlloc(sizeof(VDS_INTERCONNECT)));
  if (link == nullptr) throw std::bad_alloc();
  const std::string port = "iqn.1994-05.com.example:vss-host";
  const std::string address = "127.0.0.1:3260";
  *link = VDS_INTERCONNECT{VDS_IA_SCSI, static_cast<ULONG>(port.size() + 1), TaskBytes(port),
                           static_cast<ULONG>(address.size() + 1), TaskBytes(address)};
  return link;
}

}  // namespace

VDS_LUN_INFORMATION MakeLunRecord(const LunSpec& wanted) {
  VDS_LUN_INFORMATION lun{};
  lun.m_version = VER_VDS_LUN_INFORMATION;
  lun.m_DeviceType = 0;
  lun.m_DeviceTypeModifier = 0;
  lun.m_bCommandQueueing = TRUE;
  lun.m_BusType = wanted.bus_type;
  lun.m_szVendorId = TaskString(wanted.vendor);
  lun.m_szProductId = TaskString(wanted.product);
  lun.m_szProductRevision = TaskString(wanted.revision);
  lun.m_szSerialNumber = TaskString(wanted.serial);
  lun.m_deviceIdDescriptor.m_version = 1;
  if (wanted.with_identifier_list) {
    lun.m_deviceIdDescriptor.m_rgIdentifiers =
        MakeIdentifiers(wanted, lun.m_deviceIdDescriptor.m_cIdentifiers);
  }
  if (wanted.with_interconnect) {
    lun.m_cInterconnects = 1;
    lun.m_rgInterconnects = MakeInterconnect();
  }
  return lun;
}

void ReleaseLunRecord(VDS_LUN_INFORMATION& lun) {
  CoTaskMemFree(lun.m_szVendorId);
  CoTaskMemFree(lun.m_szProductId);
  CoTaskMemFree(lun.m_szProductRevision);
  CoTaskMemFree(lun.m_szSerialNumber);
  VDS_STORAGE_DEVICE_ID_DESCRIPTOR& ids = lun.m_deviceIdDescriptor;
  if (ids.m_rgIdentifiers != nullptr) {
    for (ULONG i = 0; i < ids.m_cIdentifiers; ++i) CoTaskMemFree(ids.m_rgIdentifiers[i].m_rgbIdentifier);
    CoTaskMemFree(ids.m_rgIdentifiers);
  }
  if (lun.m_rgInterconnects != nullptr) {
    for (ULONG i = 0; i < lun.m_cInterconnects; ++i) {
      CoTaskMemFree(lun.m_rgInterconnects[i].m_pbPort);
      CoTaskMemFree(lun.m_rgInterconnects[i].m_pbAddress);
    }
    CoTaskMemFree(lun.m_rgInterconnects);
  }
  lun = VDS_LUN_INFORMATION{};
}

LunRecordSet::LunRecordSet(const std::vector<LunSpec>& specs) {
  for (const auto& wanted : specs) Add(wanted);
}

LunRecordSet::~LunRecordSet() {
  for (auto& lun : records_) ReleaseLunRecord(lun);
  for (VSS_PWSZ device : devices_) CoTaskMemFree(device);
}

void LunRecordSet::Add(const LunSpec& wanted, const std::string& device) {
  records_.push_back(MakeLunRecord(wanted));
  devices_.push_back(device.empty() ? nullptr : TaskString(device));
}

void LunRecordSet::Add(const std::string& serial, const std::string& volume_name) {
  LunSpec wanted;
  wanted.serial = serial;
  wanted.volume_name = volume_name;
  Add(wanted);
}

void LunRecordSet::AddEmpty(size_t count) {
  for (size_t i = 0; i < count; ++i) {
    records_.push_back(VDS_LUN_INFORMATION{});
    devices_.push_back(nullptr);
  }
}

std::string IdentifierText(const VDS_LUN_INFORMATION& lun, ULONG index) {
  const VDS_STORAGE_DEVICE_ID_DESCRIPTOR& ids = lun.m_deviceIdDescriptor;
  if (ids.m_rgIdentifiers == nullptr || index >= ids.m_cIdentifiers) return std::string();
  const VDS_STORAGE_IDENTIFIER& id = ids.m_rgIdentifiers[index];
  std::string text(reinterpret_cast<const char*>(id.m_rgbIdentifier), id.m_cbIdentifier);
  if (!text.empty() && text.back() == '\0') text.pop_back();
  return text;
}
