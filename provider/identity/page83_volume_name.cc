#include "provider/identity/page83_volume_name.h"

#include <cstdint>
#include <vector>

#include "library/log/log_tags.h"
#include "library/log/logger.h"
#include "library/text/text_conversion.h"
#include "platform/scsi_inquiry.h"
#include "provider/lun/device_id_page.h"
#include "provider/lun/lun_volume_name.h"

namespace {

constexpr const char* kTag = kProviderLogTag;

}  // namespace

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
      result = VolumeNameFromDeviceIdentifiers(parsed.identifiers, volume_name);
    } else {
      Logger::Write(LOG_ERROR, kTag, "Malformed Page 83 answer from device '%ls' (%d bytes)",
                    device, static_cast<int>(page.size()));
    }
  }
  Logger::Write(LOG_DEBUG, kTag, "EXITING: QueryPage83VolumeName() HR=%08x", result);
  return result;
}
