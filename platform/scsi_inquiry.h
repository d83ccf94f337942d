// SCSI INQUIRY on a disk device: the standard answer or one vital product
// data page, as the raw bytes the device transferred. The bytes come from
// the device and are not checked here; the parsers in provider/identity
// treat them as untrusted.
//
// Common semantics:
// - At most kMaxInquiryLength bytes are requested (kStandardInquiryLength
//   for the standard answer, which some devices refuse to give in larger
//   allocations); `data` is resized to what the device actually moved.
// - The command times out after kInquiryTimeoutMs.
// - Failures name the device and the reason: it cannot be opened (missing,
//   no permission), it takes no SCSI commands, or it ended the command with
//   a status other than GOOD (the sense key and additional sense code are
//   spelled out).
//
// POSIX: the SG_IO ioctl on the device, opened read-only with O_NONBLOCK.
// Windows: page 0x83 through IOCTL_STORAGE_QUERY_PROPERTY
// (StorageDeviceIdProperty, read access only), rebuilt into page layout;
// everything else through IOCTL_SCSI_PASS_THROUGH.
//
// Safe to call from several threads; nothing is kept between calls.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace platform {

inline constexpr size_t kMaxInquiryLength = 4096;
inline constexpr size_t kStandardInquiryLength = 255;
inline constexpr unsigned kInquiryTimeoutMs = 10000;

inline constexpr uint8_t kVpdUnitSerialNumber = 0x80;
inline constexpr uint8_t kVpdDeviceIdentification = 0x83;

enum class InquiryStage {
  kNone,     // the command succeeded
  kOpen,     // the device could not be opened
  kCommand,  // the command could not be sent or did not complete
};

struct ScsiInquiryResult {
  InquiryStage failed_stage = InquiryStage::kNone;
  // errno (POSIX) or GetLastError (Windows) of the failing step; 0 when the
  // device itself refused the command.
  int system_error = 0;
  std::string error;  // empty on success

  bool ok() const { return failed_stage == InquiryStage::kNone; }
};

// Sends INQUIRY to `device`: the standard answer when `vpd` is false (then
// `page` must be 0), else the vital product data page `page`. On success
// `data` holds the transferred bytes; on failure it is empty.
ScsiInquiryResult RunScsiInquiry(const std::string& device, bool vpd, uint8_t page,
                                 std::vector<uint8_t>* data);

// RunScsiInquiry for callers that need only the error text; `error` may be
// null.
bool ScsiInquiry(const std::string& device, bool vpd, uint8_t page, std::vector<uint8_t>* data,
                 std::string* error);

// Renders sense data (fixed or descriptor format) as "sense key 0x5
// (ILLEGAL REQUEST), ASC 0x24, ASCQ 0x00"; fields the bytes do not hold are
// left out. Any bytes are accepted.
std::string DescribeScsiSense(const uint8_t* sense, size_t length);

}  // namespace platform
