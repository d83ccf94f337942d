// A device's answers are untrusted: arbitrary bytes as a page 0x83, a page
// 0x80 and a standard INQUIRY answer must parse without reading outside
// them, and a record built from them must hold exactly what the page walk
// found and free cleanly.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "provider/identity/lun_record_builder.h"
#include "provider/identity/scsi_inquiry_data.h"
#include "provider/lun/device_id_page.h"
#include "provider/lun/lun_record.h"
#include "provider/lun/lun_volume_name.h"

namespace {

void CheckWalk(const uint8_t* data, size_t size) {
  const kova::DeviceIdPage page = kova::ParseDeviceIdPage(data, size);
  size_t consumed = page.identifiers.empty() ? 0 : 4;
  for (const kova::DeviceIdentifier& id : page.identifiers) consumed += 4 + id.identifier.size();
  if (consumed > size || (page.usable() && consumed > 4 + page.page_length)) std::abort();
  if (!page.usable() && !page.identifiers.empty()) std::abort();
}

void CheckRecord(const std::vector<uint8_t>& bytes) {
  LunInquiryAnswers answers;
  answers.standard_inquiry = bytes;
  answers.unit_serial_page = bytes;
  answers.device_id_page = bytes;
  VDS_LUN_INFORMATION lun;
  if (BuildLunInformation(answers, &lun, nullptr)) {
    const kova::DeviceIdPage page = kova::ParseDeviceIdPage(bytes);
    const size_t expected = page.usable() ? page.identifiers.size() : 0;
    if (lun.m_deviceIdDescriptor.m_cIdentifiers != expected) std::abort();
    FreeLunInformation(lun);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // An exact-size heap copy, so any read past the answer is caught.
  std::vector<uint8_t> bytes(data, data + size);
  CheckWalk(bytes.data(), bytes.size());
  std::string name;
  VolumeNameFromDeviceIdPage(bytes, name);
  kova::StandardInquiry inquiry;
  kova::ParseStandardInquiry(bytes, &inquiry);
  if (inquiry.vendor.size() > 8 || inquiry.product.size() > 16 || inquiry.revision.size() > 4) {
    std::abort();
  }
  std::string serial;
  kova::ParseUnitSerialNumberPage(bytes, &serial);
  CheckRecord(bytes);
  return 0;
}
