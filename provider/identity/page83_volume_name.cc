#include "provider/identity/page83_volume_name.h"

#include <algorithm>

#include "library/log/log_tags.h"
#include "library/log/logger.h"
#include "platform/scsi_inquiry.h"
#include "provider/identity/device_id_page.h"
#include "library/text/text_conversion.h"

namespace {

constexpr const char* kTag = kProviderLogTag;

HRESULT VolumeNameFromIdentifiers(const std::vector<kova::DeviceIdentifier>& identifiers,
                                  std::string& volume_name) {
  for (const kova::DeviceIdentifier& id : identifiers) {
    if (id.type != kova::kIdTypeVendorSpecific) continue;
    if (id.identifier.empty() || id.code_set != kova::kIdCodeSetAscii) return E_FAIL;
    const auto nul = std::find(id.identifier.begin(), id.identifier.end(), 0);
    volume_name.assign(id.identifier.begin(), nul);
    return S_OK;
  }
  return S_OK;
}

}  // namespace

HRESULT VolumeNameFromDeviceIdPage(const std::vector<uint8_t>& page, std::string& volume_name) {
  const kova::DeviceIdPage parsed = kova::ParseDeviceIdPage(page);
  if (!parsed.usable()) return E_FAIL;
  return VolumeNameFromIdentifiers(parsed.identifiers, volume_name);
}

HRESULT QueryPage83VolumeName(const utility::string_t& device, std::string& volume_name) {
  Logger::Write(LOG_DEBUG, kTag, "ENTERING: QueryPage83VolumeName()");
  if (device.empty()) return E_POINTER;
  std::vector<uint8_t> page;
  const platform::ScsiInquiryResult inquiry =
      platform::RunScsiInquiry(kova::Utf8OfText(device), true, kova::kDeviceIdPageCode, &page);
  HRESULT result = E_FAIL;
  if (inquiry.failed_stage == platform::InquiryStage::kOpen) {
    Logger::Write(LOG_ERROR, kTag, "Cannot open device '%ls'. [CreateFile() error: %d]", device,
                  inquiry.system_error);
  } else if (!inquiry.ok()) {
    Logger::Write(LOG_ERROR, kTag,
                  "Failed Page 83 request for device '%ls', [DeviceIoControl() error: %d]", device,
                  inquiry.system_error);
    Logger::Write(LOG_DEBUG, kTag, "Page 83 request: %hs", inquiry.error);
  } else {
    const kova::DeviceIdPage parsed = kova::ParseDeviceIdPage(page);
    if (parsed.usable()) {
      result = VolumeNameFromIdentifiers(parsed.identifiers, volume_name);
    } else {
      Logger::Write(LOG_ERROR, kTag, "Malformed Page 83 answer from device '%ls' (%d bytes)",
                    device, static_cast<int>(page.size()));
    }
  }
  Logger::Write(LOG_DEBUG, kTag, "EXITING: QueryPage83VolumeName() HR=%08x", result);
  return result;
}
