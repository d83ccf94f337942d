#include "provider/lun/lun_volume_name.h"

#include "provider/lun/lun_record.h"

bool ReadVolumeNameIdentifier(const VDS_LUN_INFORMATION& lun, std::string& name) {
  const VDS_STORAGE_DEVICE_ID_DESCRIPTOR& ids = lun.m_deviceIdDescriptor;
  if (ids.m_rgIdentifiers == nullptr) return false;
  for (ULONG i = 0; i < ids.m_cIdentifiers; ++i) {
    const VDS_STORAGE_IDENTIFIER& id = ids.m_rgIdentifiers[i];
    if (id.m_Type == VDSStorageIdTypeVendorSpecific && id.m_cbIdentifier > 0 &&
        id.m_CodeSet == VDSStorageIdCodeSetAscii) {
      name = TextOfBytes(id.m_rgbIdentifier, id.m_cbIdentifier);
      return true;
    }
  }
  return false;
}

HRESULT VolumeNameFromDeviceIdentifiers(const std::vector<kova::DeviceIdentifier>& identifiers,
                                        std::string& volume_name) {
  for (const kova::DeviceIdentifier& id : identifiers) {
    if (id.type != kova::kIdTypeVendorSpecific) continue;
    if (id.identifier.empty() || id.code_set != kova::kIdCodeSetAscii) return E_FAIL;
    volume_name = TextOfBytes(id.identifier.data(), id.identifier.size());
    return S_OK;
  }
  return S_OK;
}

HRESULT VolumeNameFromDeviceIdPage(const std::vector<uint8_t>& page, std::string& volume_name) {
  const kova::DeviceIdPage parsed = kova::ParseDeviceIdPage(page);
  if (!parsed.usable()) return E_FAIL;
  return VolumeNameFromDeviceIdentifiers(parsed.identifiers, volume_name);
}
