#include "provider/identity/lun_record_builder.h"

#include <cstring>
#include <new>

#include "platform/block_device_bus.h"
#include "platform/scsi_inquiry.h"
#include "provider/identity/scsi_inquiry_data.h"
#include "provider/lun/device_id_page.h"
#include "provider/lun/lun_record.h"

namespace {

constexpr ULONG kDeviceIdDescriptorVersion = 1;
constexpr uint8_t kNoLogicalUnit = 3;

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

void FillIdentifier(const kova::DeviceIdentifier& source, VDS_STORAGE_IDENTIFIER* target) {
  target->m_CodeSet = CodeSetOf(source.code_set);
  // Designator types are four bits, all inside the range of the VDS enum.
  target->m_Type = static_cast<VDS_STORAGE_IDENTIFIER_TYPE>(source.type & 0x0F);
  target->m_rgbIdentifier = TaskMemoryBytes(source.identifier);
  target->m_cbIdentifier = static_cast<ULONG>(source.identifier.size());
}

void FillIdentifiers(const std::vector<uint8_t>& page_bytes, VDS_STORAGE_DEVICE_ID_DESCRIPTOR* ids) {
  ids->m_version = kDeviceIdDescriptorVersion;
  const kova::DeviceIdPage page = kova::ParseDeviceIdPage(page_bytes);
  if (!page.usable() || page.identifiers.empty()) return;
  const size_t count = page.identifiers.size();
  ids->m_rgIdentifiers = TaskMemoryArray<VDS_STORAGE_IDENTIFIER>(count);
  ids->m_cIdentifiers = static_cast<ULONG>(count);
  for (size_t i = 0; i < count; ++i) FillIdentifier(page.identifiers[i], &ids->m_rgIdentifiers[i]);
}

void FillFields(const kova::StandardInquiry& inquiry, const std::string& serial,
                const LunInquiryAnswers& answers, VDS_LUN_INFORMATION* lun) {
  lun->m_version = VER_VDS_LUN_INFORMATION;
  lun->m_DeviceType = inquiry.device_type;
  lun->m_DeviceTypeModifier = inquiry.device_type_modifier;
  lun->m_bCommandQueueing = inquiry.command_queueing ? TRUE : FALSE;
  lun->m_BusType = answers.bus_type;
  lun->m_szVendorId = TaskMemoryString(inquiry.vendor);
  lun->m_szProductId = TaskMemoryString(inquiry.product);
  lun->m_szProductRevision = TaskMemoryString(inquiry.revision);
  lun->m_szSerialNumber = TaskMemoryString(serial);
  FillIdentifiers(answers.device_id_page, &lun->m_deviceIdDescriptor);
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

  try {
    FillFields(inquiry, serial, answers, lun);
  } catch (const std::bad_alloc&) {
    FreeLunInformation(*lun);
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
