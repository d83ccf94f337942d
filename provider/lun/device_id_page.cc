#include "provider/lun/device_id_page.h"

#include <algorithm>

namespace kova {
namespace {

constexpr size_t kPageHeaderLength = 4;
constexpr size_t kDescriptorHeaderLength = 4;

DeviceIdentifier DescriptorAt(const uint8_t* descriptor) {
  DeviceIdentifier id;
  id.protocol_identifier = static_cast<uint8_t>(descriptor[0] >> 4);
  id.code_set = static_cast<uint8_t>(descriptor[0] & 0x0F);
  id.protocol_identifier_valid = (descriptor[1] & 0x80) != 0;
  id.association = static_cast<uint8_t>((descriptor[1] >> 4) & 0x03);
  id.type = static_cast<uint8_t>(descriptor[1] & 0x0F);
  const uint8_t* bytes = descriptor + kDescriptorHeaderLength;
  id.identifier.assign(bytes, bytes + descriptor[3]);
  return id;
}

}  // namespace

DeviceIdPage ParseDeviceIdPage(const uint8_t* data, size_t size) {
  DeviceIdPage page;
  if (!data || size < kPageHeaderLength) return page;
  page.peripheral = data[0];
  if (data[1] != kDeviceIdPageCode) {
    page.status = DeviceIdPageStatus::kWrongPage;
    return page;
  }
  page.page_length = (static_cast<size_t>(data[2]) << 8) | data[3];
  const size_t claimed_end = kPageHeaderLength + page.page_length;
  const size_t end = std::min(size, claimed_end);
  page.status = size < claimed_end ? DeviceIdPageStatus::kTruncated : DeviceIdPageStatus::kComplete;

  size_t offset = kPageHeaderLength;
  while (offset < end) {
    if (end - offset < kDescriptorHeaderLength ||
        end - offset - kDescriptorHeaderLength < data[offset + 3]) {
      page.status = DeviceIdPageStatus::kTruncated;
      break;
    }
    page.identifiers.push_back(DescriptorAt(data + offset));
    offset += kDescriptorHeaderLength + data[offset + 3];
  }
  return page;
}

}  // namespace kova
