// The standard INQUIRY answer and the unit serial number page (0x80) of a
// SCSI device, read from the bytes the device returned. Both are bounded by
// the shorter of what arrived and what the answer says it holds; fields the
// answer does not reach come out shorter or empty, never from outside it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kova {

struct StandardInquiry {
  uint8_t peripheral_qualifier = 0;  // 3: no logical unit at this address
  uint8_t device_type = 0;           // 0: direct-access block device
  uint8_t device_type_modifier = 0;  // byte 1 below the removable bit
  bool removable = false;
  uint8_t version = 0;
  bool command_queueing = false;  // CmdQue
  // As the device sent them, blank padding kept (VDS presents them so).
  std::string vendor;    // 8 bytes
  std::string product;   // 16 bytes
  std::string revision;  // 4 bytes
};

// False when the answer is shorter than its 5-byte header.
bool ParseStandardInquiry(const std::vector<uint8_t>& data, StandardInquiry* inquiry);

// The serial number text: the page's bytes without leading and trailing
// blanks and NULs, up to an inner NUL. False when the bytes are not a page
// 0x80 (shorter than its header, or another page code). The padding goes
// because devices differ in it (tgt right-aligns the serial with leading
// blanks, QEMU adds none) while an array volume's serial, which the LUN's
// must equal byte for byte, holds no blanks.
bool ParseUnitSerialNumberPage(const std::vector<uint8_t>& data, std::string* serial);

}  // namespace kova
