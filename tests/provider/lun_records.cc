#include "tests/provider/lun_records.h"

#include "tests/support/lun_device_name.h"

namespace {

BYTE* TaskBytes(const std::string& text) {
  return reinterpret_cast<BYTE*>(TaskMemoryString(text));
}

VDS_STORAGE_IDENTIFIER* MakeIdentifiers(const LunSpec& wanted, ULONG& count) {
  // A binary EUI-64 first, so readers must skip identifiers of other types.
  count = wanted.volume_name.empty() ? 1 : 2;
  auto* ids = TaskMemoryArray<VDS_STORAGE_IDENTIFIER>(count);
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
  auto* link = TaskMemoryArray<VDS_INTERCONNECT>(1);
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
  lun.m_szVendorId = TaskMemoryString(wanted.vendor);
  lun.m_szProductId = TaskMemoryString(wanted.product);
  lun.m_szProductRevision = TaskMemoryString(wanted.revision);
  lun.m_szSerialNumber = TaskMemoryString(wanted.serial);
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

void AddLun(LunRecordArray& luns, const LunSpec& wanted, const std::string& device) {
  VDS_LUN_INFORMATION lun = MakeLunRecord(wanted);
  if (device.empty()) {
    luns.Append(&lun);
  } else {
    luns.Append(&lun, DeviceName(device));
  }
}

void AddLun(LunRecordArray& luns, const std::string& serial, const std::string& volume_name) {
  LunSpec wanted;
  wanted.serial = serial;
  wanted.volume_name = volume_name;
  AddLun(luns, wanted);
}

void AddEmptyLuns(LunRecordArray& luns, size_t count) {
  for (size_t i = 0; i < count; ++i) {
    VDS_LUN_INFORMATION empty{};
    luns.Append(&empty);
  }
}

LunRecordArray MakeLunRecords(const std::vector<LunSpec>& wanted) {
  LunRecordArray luns;
  for (const LunSpec& lun : wanted) AddLun(luns, lun);
  return luns;
}

std::string IdentifierText(const VDS_LUN_INFORMATION& lun, ULONG index) {
  const VDS_STORAGE_DEVICE_ID_DESCRIPTOR& ids = lun.m_deviceIdDescriptor;
  if (ids.m_rgIdentifiers == nullptr || index >= ids.m_cIdentifiers) return std::string();
  const VDS_STORAGE_IDENTIFIER& id = ids.m_rgIdentifiers[index];
  std::string text(reinterpret_cast<const char*>(id.m_rgbIdentifier), id.m_cbIdentifier);
  if (!text.empty() && text.back() == '\0') text.pop_back();
  return text;
}
