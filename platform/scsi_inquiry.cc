#include "platform/scsi_inquiry.h"

#include <cstdio>

namespace platform {
namespace {

const char* SenseKeyName(unsigned key) {
  static const char* const kNames[16] = {
      "NO SENSE",       "RECOVERED ERROR", "NOT READY",      "MEDIUM ERROR",
      "HARDWARE ERROR", "ILLEGAL REQUEST", "UNIT ATTENTION", "DATA PROTECT",
      "BLANK CHECK",    "VENDOR SPECIFIC", "COPY ABORTED",   "ABORTED COMMAND",
      "RESERVED",       "VOLUME OVERFLOW", "MISCOMPARE",     "COMPLETED"};
  return kNames[key & 0x0F];
}

std::string Hex(unsigned value, int digits) {
  char text[8];
  std::snprintf(text, sizeof text, "0x%0*X", digits, value & 0xFF);
  return text;
}

}  // namespace

bool ScsiInquiry(const std::string& device, bool vpd, uint8_t page, std::vector<uint8_t>* data,
                 std::string* error) {
  const ScsiInquiryResult result = RunScsiInquiry(device, vpd, page, data);
  if (error) *error = result.error;
  return result.ok();
}

std::string DescribeScsiSense(const uint8_t* sense, size_t length) {
  if (!sense || length == 0) return "no sense data";
  const unsigned response = sense[0] & 0x7F;
  // Fixed format keeps the key in byte 2 and the codes in bytes 12-13;
  // descriptor format has them in bytes 1-3.
  size_t key_at = 0, asc_at = 0;
  if (response == 0x70 || response == 0x71) {
    key_at = 2;
    asc_at = 12;
  } else if (response == 0x72 || response == 0x73) {
    key_at = 1;
    asc_at = 2;
  } else {
    return "sense data of unknown format " + Hex(response, 2);
  }
  if (length <= key_at) return "sense data too short";
  const unsigned key = sense[key_at] & 0x0F;
  std::string text = "sense key " + Hex(key, 1) + " (" + SenseKeyName(key) + ")";
  if (length > asc_at) text += ", ASC " + Hex(sense[asc_at], 2);
  if (length > asc_at + 1) text += ", ASCQ " + Hex(sense[asc_at + 1], 2);
  return text;
}

}  // namespace platform
