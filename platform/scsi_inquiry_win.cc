#include <windows.h>
#include <winioctl.h>
#include <ntddscsi.h>

#include <cstddef>
#include <memory>

#include "platform/scsi_inquiry.h"
#include "platform/utf16.h"

namespace platform {
namespace {

constexpr DWORD kDeviceIdBufferSize = 8192;

ScsiInquiryResult Failure(InquiryStage stage, DWORD system_error, const std::string& text) {
  ScsiInquiryResult result;
  result.failed_stage = stage;
  result.system_error = static_cast<int>(system_error);
  result.error = text + " (error " + std::to_string(system_error) + ")";
  return result;
}

class Handle {
 public:
  Handle(const std::string& device, DWORD access) {
    const std::u16string path = Utf8ToUtf16(device);
    handle_ = CreateFileW(reinterpret_cast<const wchar_t*>(path.c_str()), access,
                          FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
  }
  ~Handle() {
    if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
  }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  bool valid() const { return handle_ != INVALID_HANDLE_VALUE; }
  HANDLE get() const { return handle_; }

 private:
  HANDLE handle_;
};

// Lays the storage stack's identifier list out as the device sent it: a
// page 0x83 header and one designation descriptor per identifier.
std::vector<uint8_t> RebuildDeviceIdPage(const std::vector<BYTE>& buffer, DWORD returned) {
  std::vector<uint8_t> page = {0x00, kVpdDeviceIdentification, 0x00, 0x00};
  const size_t end = returned < buffer.size() ? returned : buffer.size();
  if (end < offsetof(STORAGE_DEVICE_ID_DESCRIPTOR, Identifiers)) return page;
  const auto* descriptor = reinterpret_cast<const STORAGE_DEVICE_ID_DESCRIPTOR*>(buffer.data());
  size_t offset = offsetof(STORAGE_DEVICE_ID_DESCRIPTOR, Identifiers);
  for (ULONG i = 0; i < descriptor->NumberOfIdentifiers; ++i) {
    if (offset + offsetof(STORAGE_IDENTIFIER, Identifier) > end) break;
    const auto* id = reinterpret_cast<const STORAGE_IDENTIFIER*>(buffer.data() + offset);
    const size_t size = id->IdentifierSize < 255 ? id->IdentifierSize : 255;
    if (offset + offsetof(STORAGE_IDENTIFIER, Identifier) + size > end) break;
    if (page.size() + 4 + size > 4 + 0xFFFF) break;
    page.push_back(static_cast<uint8_t>(id->CodeSet & 0x0F));
    page.push_back(static_cast<uint8_t>(((id->Association & 0x03) << 4) | (id->Type & 0x0F)));
    page.push_back(0);
    page.push_back(static_cast<uint8_t>(size));
    page.insert(page.end(), id->Identifier, id->Identifier + size);
    if (id->NextOffset == 0) break;
    offset += id->NextOffset;
  }
  const size_t length = page.size() - 4;
  page[2] = static_cast<uint8_t>(length >> 8);
  page[3] = static_cast<uint8_t>(length & 0xFF);
  return page;
}

ScsiInquiryResult QueryDeviceIdPage(const std::string& device, std::vector<uint8_t>* data) {
  Handle handle(device, GENERIC_READ);
  if (!handle.valid()) {
    return Failure(InquiryStage::kOpen, GetLastError(), "cannot open " + device);
  }
  STORAGE_PROPERTY_QUERY query{};
  query.PropertyId = StorageDeviceIdProperty;
  query.QueryType = PropertyStandardQuery;
  std::vector<BYTE> buffer(kDeviceIdBufferSize, 0);
  DWORD returned = 0;
  if (!DeviceIoControl(handle.get(), IOCTL_STORAGE_QUERY_PROPERTY, &query, sizeof query,
                       buffer.data(), kDeviceIdBufferSize, &returned, nullptr)) {
    return Failure(InquiryStage::kCommand, GetLastError(),
                   "device identification query on " + device + " failed");
  }
  *data = RebuildDeviceIdPage(buffer, returned);
  return ScsiInquiryResult{};
}

struct PassThrough {
  SCSI_PASS_THROUGH request;
  ULONG alignment;
  UCHAR sense[32];
  UCHAR data[kMaxInquiryLength];
};

ScsiInquiryResult PassInquiry(const std::string& device, bool vpd, uint8_t page,
                              std::vector<uint8_t>* data) {
  Handle handle(device, GENERIC_READ | GENERIC_WRITE);
  if (!handle.valid()) {
    return Failure(InquiryStage::kOpen, GetLastError(), "cannot open " + device);
  }
  const size_t length = vpd ? kMaxInquiryLength : kStandardInquiryLength;
  auto command = std::make_unique<PassThrough>();
  ZeroMemory(command.get(), sizeof(PassThrough));
  SCSI_PASS_THROUGH& request = command->request;
  request.Length = sizeof(SCSI_PASS_THROUGH);
  request.CdbLength = 6;
  request.SenseInfoLength = sizeof command->sense;
  request.DataIn = SCSI_IOCTL_DATA_IN;
  request.DataTransferLength = static_cast<ULONG>(length);
  request.TimeOutValue = kInquiryTimeoutMs / 1000;
  request.DataBufferOffset = offsetof(PassThrough, data);
  request.SenseInfoOffset = offsetof(PassThrough, sense);
  request.Cdb[0] = 0x12;
  request.Cdb[1] = vpd ? 1 : 0;
  request.Cdb[2] = page;
  request.Cdb[3] = static_cast<UCHAR>(length >> 8);
  request.Cdb[4] = static_cast<UCHAR>(length & 0xFF);
  DWORD returned = 0;
  if (!DeviceIoControl(handle.get(), IOCTL_SCSI_PASS_THROUGH, command.get(), sizeof(PassThrough),
                       command.get(), sizeof(PassThrough), &returned, nullptr)) {
    return Failure(InquiryStage::kCommand, GetLastError(), "SCSI INQUIRY on " + device + " failed");
  }
  if (request.ScsiStatus != 0) {
    return Failure(InquiryStage::kCommand, 0,
                   "SCSI INQUIRY on " + device + " ended in CHECK CONDITION: " +
                       DescribeScsiSense(command->sense, request.SenseInfoLength));
  }
  const size_t moved = request.DataTransferLength < length ? request.DataTransferLength : length;
  data->assign(command->data, command->data + moved);
  return ScsiInquiryResult{};
}

}  // namespace

ScsiInquiryResult RunScsiInquiry(const std::string& device, bool vpd, uint8_t page,
                                 std::vector<uint8_t>* data) {
  if (data) data->clear();
  if (!data || (!vpd && page != 0)) {
    return Failure(InquiryStage::kCommand, ERROR_INVALID_PARAMETER,
                   "invalid INQUIRY request for " + device);
  }
  if (vpd && page == kVpdDeviceIdentification) return QueryDeviceIdPage(device, data);
  return PassInquiry(device, vpd, page, data);
}

}  // namespace platform
