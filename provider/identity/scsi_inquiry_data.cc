#include "provider/identity/scsi_inquiry_data.h"

#include <algorithm>

namespace kova {
namespace {

constexpr size_t kInquiryHeaderLength = 5;
constexpr size_t kVpdHeaderLength = 4;
constexpr uint8_t kUnitSerialNumberPage = 0x80;

// Bytes [begin, end) of data, cut at `limit`.
std::string Field(const std::vector<uint8_t>& data, size_t limit, size_t begin, size_t end) {
  end = std::min(end, limit);
  if (begin >= end) return std::string();
  return std::string(data.begin() + static_cast<std::ptrdiff_t>(begin),
                     data.begin() + static_cast<std::ptrdiff_t>(end));
}

}  // namespace

bool ParseStandardInquiry(const std::vector<uint8_t>& data, StandardInquiry* inquiry) {
  if (data.size() < kInquiryHeaderLength) return false;
  const size_t limit = std::min(data.size(), kInquiryHeaderLength + data[4]);
  StandardInquiry parsed;
  parsed.peripheral_qualifier = static_cast<uint8_t>(data[0] >> 5);
  parsed.device_type = static_cast<uint8_t>(data[0] & 0x1F);
  parsed.removable = (data[1] & 0x80) != 0;
  parsed.device_type_modifier = static_cast<uint8_t>(data[1] & 0x7F);
  parsed.version = data[2];
  parsed.command_queueing = limit > 7 && (data[7] & 0x02) != 0;
  parsed.vendor = Field(data, limit, 8, 16);
  parsed.product = Field(data, limit, 16, 32);
  parsed.revision = Field(data, limit, 32, 36);
  *inquiry = std::move(parsed);
  return true;
}

bool ParseUnitSerialNumberPage(const std::vector<uint8_t>& data, std::string* serial) {
  if (data.size() < kVpdHeaderLength || data[1] != kUnitSerialNumberPage) return false;
  const size_t page_length = (static_cast<size_t>(data[2]) << 8) | data[3];
  std::string text = Field(data, std::min(data.size(), kVpdHeaderLength + page_length),
                           kVpdHeaderLength, data.size());
  static const char kPadding[] = {' ', '\0'};
  const size_t first = text.find_first_not_of(std::string(kPadding, 2));
  text.erase(0, first == std::string::npos ? text.size() : first);
  text.erase(std::min(text.find('\0'), text.size()));
  text.erase(text.find_last_not_of(' ') + 1);
  *serial = std::move(text);
  return true;
}

}  // namespace kova
