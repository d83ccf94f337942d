#include "provider/identity/lun_record_builder.h"

#include <cstring>

#include "platform/block_device_bus.h"
#include "platform/scsi_inquiry.h"
#include "provider/identity/device_id_page.h"
#include "provider/identity/scsi_inquiry_data.h"

namespace {

constexpr ULONG kDeviceIdDescriptorVersion = 1;
constexpr uint8_t kNoLogicalUnit = 3;

char* AllocText(const std::string& text) {
  auto* copy = static_cast<char*>(CoTaskMemAlloc(text.size() + 1));
  if (!copy) return nullptr;
  std::memcpy(copy, text.data(), text.size());
  copy[text.size()] = '\0';
  return copy;
}

// Designator code sets beyond those VDS names are reported as reserved.
VDS_STORAGE_IDENTIFIER_CODE_SET CodeSetOf(uint8_t code_set) {
  switch (code_set) {
    case kova::kIdCodeSetBinary:
      return VDSStorageIdCodeSetBinary;
    case kova::kIdCodeSetAscii:
      return VDSStorageIdCodeSetAscii;
    case kova::kIdCodeSetUtf8:
      return VDSStorageIdCodeSetUtf8;
    default:
      return VDSStorageIdCodeSetReserved;
  }
}

bool FillIdentifier(const kova::DeviceIdentifier& source, VDS_STORAGE_IDENTIFIER* target) {
  target->m_CodeSet = CodeSetOf(source.code_set);
  // Designator types are four bits, all inside the range of the VDS enum.
  target->m_Type = static_cast<VDS_STORAGE_IDENTIFIER_TYPE>(source.type & 0x0F);
  target->m_cbIdentifier = static_cast<ULONG>(source.identifier.size());
  target->m_rgbIdentifier = nullptr;
  if (source.identifier.empty()) return true;
  target->m_rgbIdentifier = static_cast<BYTE*>(CoTaskMemAlloc(source.identifier.size()));
  if (!target->m_rgbIdentifier) return false;
  std::memcpy(target->m_rgbIdentifier, source.identifier.data(), source.identifier.size());
  return true;
}

bool FillIdentifiers(const std::vector<uint8_t>& page_bytes,
                     VDS_STORAGE_DEVICE_ID_DESCRIPTOR* ids) {
  ids->m_version = kDeviceIdDescriptorVersion;
  const kova::DeviceIdPage page = kova::ParseDeviceIdPage(page_bytes);
  if (!page.usable() || page.identifiers.empty()) return true;
  const size_t count = page.identifiers.size();
  ids->m_rgIdentifiers =
      static_cast<VDS_STORAGE_IDENTIFIER*>(CoTaskMemAlloc(count * sizeof(VDS_STORAGE_IDENTIFIER)));
  if (!ids->m_rgIdentifiers) return false;
  std::memset(ids->m_rgIdentifiers, 0, count * sizeof(VDS_STORAGE_IDENTIFIER));
  ids->m_cIdentifiers = static_cast<ULONG>(count);
  for (size_t i = 0; i < count; ++i) {
    if (!FillIdentifier(page.identifiers[i], &ids->m_rgIdentifiers[i])) return false;
  }
  return true;
}

bool SetError(std::string* error, const std::string& text) {
  if (error) *error = text;
  return false;
}

}  // namespace

bool BuildLunInformation(const LunInquiryAnswers& answers, VDS_LUN_INFORMATION* lun,
                         std::string* error) {
  std::memset(lun, 0, sizeof *lun);
  kova::StandardInquiry inquiry;
  if (!kova::ParseStandardInquiry(answers.standard_inquiry, &inquiry)) {
    return SetError(error, "INQUIRY answer too short (" +
                               std::to_string(answers.standard_inquiry.size()) + " bytes)");
  }
  if (inquiry.peripheral_qualifier == kNoLogicalUnit) {
    return SetError(error, "the device reports no logical unit");
  }
  std::string serial;
  kova::ParseUnitSerialNumberPage(answers.unit_serial_page, &serial);

  lun->m_version = VER_VDS_LUN_INFORMATION;
  lun->m_DeviceType = inquiry.device_type;
  lun->m_DeviceTypeModifier = inquiry.device_type_modifier;
  lun->m_bCommandQueueing = inquiry.command_queueing ? TRUE : FALSE;
  lun->m_BusType = answers.bus_type;
  lun->m_szVendorId = AllocText(inquiry.vendor);
  lun->m_szProductId = AllocText(inquiry.product);
  lun->m_szProductRevision = AllocText(inquiry.revision);
  lun->m_szSerialNumber = AllocText(serial);
  const bool complete = lun->m_szVendorId && lun->m_szProductId && lun->m_szProductRevision &&
                        lun->m_szSerialNumber &&
                        FillIdentifiers(answers.device_id_page, &lun->m_deviceIdDescriptor);
  if (!complete) {
    FreeLunRecord(lun);
    return SetError(error, "out of memory");
  }
  return true;
}

bool ReadLunInformation(const LunInquiry& inquire, VDS_STORAGE_BUS_TYPE bus_type,
                        VDS_LUN_INFORMATION* lun, std::string* error) {
  std::memset(lun, 0, sizeof *lun);
  LunInquiryAnswers answers;
  answers.bus_type = bus_type;
  std::string failure;
  if (!inquire(false, 0, &answers.standard_inquiry, &failure)) return SetError(error, failure);
  if (!inquire(true, platform::kVpdUnitSerialNumber, &answers.unit_serial_page, nullptr)) {
    answers.unit_serial_page.clear();
  }
  if (!inquire(true, platform::kVpdDeviceIdentification, &answers.device_id_page, nullptr)) {
    answers.device_id_page.clear();
  }
  return BuildLunInformation(answers, lun, error);
}

bool ReadLunInformationFromDevice(const std::string& device, VDS_LUN_INFORMATION* lun,
                                  std::string* error) {
  const LunInquiry inquire = [&device](bool vpd, uint8_t page, std::vector<uint8_t>* data,
                                       std::string* failure) {
    return platform::ScsiInquiry(device, vpd, page, data, failure);
  };
  return ReadLunInformation(inquire, platform::GetDeviceBusType(device), lun, error);
}

void FreeLunRecord(VDS_LUN_INFORMATION* lun) {
  if (!lun) return;
  CoTaskMemFree(lun->m_szVendorId);
  CoTaskMemFree(lun->m_szProductId);
  CoTaskMemFree(lun->m_szProductRevision);
  CoTaskMemFree(lun->m_szSerialNumber);
  VDS_STORAGE_DEVICE_ID_DESCRIPTOR& ids = lun->m_deviceIdDescriptor;
  for (ULONG i = 0; ids.m_rgIdentifiers && i < ids.m_cIdentifiers; ++i) {
    CoTaskMemFree(ids.m_rgIdentifiers[i].m_rgbIdentifier);
  }
  CoTaskMemFree(ids.m_rgIdentifiers);
  for (ULONG i = 0; lun->m_rgInterconnects && i < lun->m_cInterconnects; ++i) {
    CoTaskMemFree(lun->m_rgInterconnects[i].m_pbPort);
    CoTaskMemFree(lun->m_rgInterconnects[i].m_pbAddress);
  }
  CoTaskMemFree(lun->m_rgInterconnects);
  std::memset(lun, 0, sizeof *lun);
}
