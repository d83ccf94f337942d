#include <fcntl.h>
#include <scsi/sg.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "platform/scsi_inquiry.h"

namespace platform {
namespace {

constexpr uint8_t kInquiryOpcode = 0x12;
constexpr uint8_t kStatusCheckCondition = 0x02;
constexpr unsigned kHostTimeOut = 0x03;
constexpr unsigned kDriverTimeOut = 0x06;
constexpr unsigned kDriverSense = 0x08;

ScsiInquiryResult Failure(InquiryStage stage, int system_error, const std::string& text) {
  ScsiInquiryResult result;
  result.failed_stage = stage;
  result.system_error = system_error;
  result.error = text;
  return result;
}

ScsiInquiryResult OpenFailure(const std::string& device, int error) {
  std::string reason;
  switch (error) {
    case ENOENT:
    case ENXIO:
    case ENODEV:
      reason = "no such device";
      break;
    case EACCES:
    case EPERM:
      reason = "permission denied";
      break;
    default:
      reason = std::strerror(error);
  }
  return Failure(InquiryStage::kOpen, error, "cannot open " + device + ": " + reason);
}

ScsiInquiryResult IoctlFailure(const std::string& device, int error) {
  // Devices without a SCSI command path (character devices, files, block
  // devices of other kinds) refuse the ioctl itself.
  if (error == ENOTTY || error == EINVAL || error == ENOSYS || error == EOPNOTSUPP) {
    return Failure(InquiryStage::kCommand, error, device + " is not a SCSI device");
  }
  return Failure(InquiryStage::kCommand, error,
                 "SCSI INQUIRY on " + device + " failed: " + std::strerror(error));
}

ScsiInquiryResult StatusFailure(const std::string& device, const sg_io_hdr_t& header,
                                const uint8_t* sense) {
  if (header.host_status == kHostTimeOut || (header.driver_status & 0x0F) == kDriverTimeOut) {
    return Failure(InquiryStage::kCommand, ETIMEDOUT,
                   "SCSI INQUIRY on " + device + " timed out after " +
                       std::to_string(kInquiryTimeoutMs) + " ms");
  }
  if (header.status == kStatusCheckCondition || (header.driver_status & kDriverSense)) {
    return Failure(InquiryStage::kCommand, 0,
                   "SCSI INQUIRY on " + device +
                       " ended in CHECK CONDITION: " + DescribeScsiSense(sense, header.sb_len_wr));
  }
  return Failure(InquiryStage::kCommand, 0,
                 "SCSI INQUIRY on " + device + " failed: status " + std::to_string(header.status) +
                     ", host status " + std::to_string(header.host_status) + ", driver status " +
                     std::to_string(header.driver_status));
}

class Descriptor {
 public:
  explicit Descriptor(int fd) : fd_(fd) {}
  ~Descriptor() {
    if (fd_ >= 0) close(fd_);
  }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  int get() const { return fd_; }

 private:
  int fd_;
};

}  // namespace

ScsiInquiryResult RunScsiInquiry(const std::string& device, bool vpd, uint8_t page,
                                 std::vector<uint8_t>* data) {
  if (data) data->clear();
  if (!data || (!vpd && page != 0)) {
    return Failure(InquiryStage::kCommand, EINVAL, "invalid INQUIRY request for " + device);
  }
  Descriptor fd(open(device.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
  if (fd.get() < 0) return OpenFailure(device, errno);

  const size_t length = vpd ? kMaxInquiryLength : kStandardInquiryLength;
  std::vector<uint8_t> buffer(length, 0);
  uint8_t cdb[6] = {kInquiryOpcode,
                    static_cast<uint8_t>(vpd ? 1 : 0),
                    page,
                    static_cast<uint8_t>(length >> 8),
                    static_cast<uint8_t>(length & 0xFF),
                    0};
  uint8_t sense[64] = {};
  sg_io_hdr_t header{};
  header.interface_id = 'S';
  header.dxfer_direction = SG_DXFER_FROM_DEV;
  header.cmd_len = sizeof cdb;
  header.cmdp = cdb;
  header.dxfer_len = static_cast<unsigned>(length);
  header.dxferp = buffer.data();
  header.mx_sb_len = sizeof sense;
  header.sbp = sense;
  header.timeout = kInquiryTimeoutMs;
  if (ioctl(fd.get(), SG_IO, &header) < 0) return IoctlFailure(device, errno);
  if ((header.info & SG_INFO_OK_MASK) != SG_INFO_OK) return StatusFailure(device, header, sense);

  // Drivers that do not report a residue leave it at 0; a negative or
  // oversized one is not believed.
  const int resid = std::clamp(header.resid, 0, static_cast<int>(length));
  buffer.resize(length - static_cast<size_t>(resid));
  *data = std::move(buffer);
  return ScsiInquiryResult{};
}

}  // namespace platform
