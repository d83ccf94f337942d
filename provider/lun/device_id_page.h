// The device identification page (VPD page 0x83) of a SCSI device: a 4-byte
// header whose length field gives the size of the rest, then designation
// descriptors of a 4-byte header and the identifier bytes.
//
// The answer comes from the device and is not trusted: the walk stays
// within both the bytes that arrived and the length the page claims, and
// returns the descriptors that lie whole inside both. A descriptor that
// runs past either ends the walk.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace kova {

inline constexpr uint8_t kDeviceIdPageCode = 0x83;

// Code sets and designator types, numbered as SCSI (and VDS) number them.
inline constexpr uint8_t kIdCodeSetBinary = 1;
inline constexpr uint8_t kIdCodeSetAscii = 2;
inline constexpr uint8_t kIdCodeSetUtf8 = 3;
inline constexpr uint8_t kIdTypeVendorSpecific = 0;

struct DeviceIdentifier {
  uint8_t protocol_identifier = 0;
  uint8_t code_set = 0;
  bool protocol_identifier_valid = false;  // PIV
  uint8_t association = 0;                 // 0 logical unit, 1 target port, 2 target device
  uint8_t type = 0;
  std::vector<uint8_t> identifier;
};

enum class DeviceIdPageStatus {
  kComplete,   // every descriptor the page claims was read
  kTruncated,  // the page claims more than arrived, or a descriptor overruns it
  kTooShort,   // not even the 4-byte header arrived
  kWrongPage,  // the header names another page
};

struct DeviceIdPage {
  DeviceIdPageStatus status = DeviceIdPageStatus::kTooShort;
  uint8_t peripheral = 0;                     // byte 0: qualifier and device type
  size_t page_length = 0;                     // as the header claims it
  std::vector<DeviceIdentifier> identifiers;  // the whole ones, in page order

  bool usable() const {
    return status == DeviceIdPageStatus::kComplete || status == DeviceIdPageStatus::kTruncated;
  }
};

DeviceIdPage ParseDeviceIdPage(const uint8_t* data, size_t size);
inline DeviceIdPage ParseDeviceIdPage(const std::vector<uint8_t>& data) {
  return ParseDeviceIdPage(data.data(), data.size());
}

}  // namespace kova
