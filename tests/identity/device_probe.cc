// kova_device_probe DEVICE...: what each SCSI disk answers and what the
// identity code makes of it, one "key value" line each, for the guest test
// (scripts/guest-test.sh). The inquiry, vpd80 and vpd83 lines have the form
// of the recorded pages in tests/identity/recorded, so the bytes a real disk
// gives can be compared with the bytes the suite parses.
//
//   device /dev/sdb
//   inquiry <bytes>        standard INQUIRY answer ("inquiry error <why>" on failure)
//   vpd80 <bytes>          unit serial number page
//   vpd83 <bytes>          device identification page
//   serial <text>          the serial number a LUN record made from the disk carries
//   page83_name <hresult> <text>   QueryPage83VolumeName on the device
//   bus_type <n>           the bus the disk is attached by
//
// <bytes> is every byte the disk transferred in hex, except that a run of
// zero bytes at the end is written "+Nx00" (some disks fill the whole
// allocation length).
//
// Exit code 0 when every device answered the standard INQUIRY, else 1.
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "library/text/text_conversion.h"
#include "platform/block_device_bus.h"
#include "platform/scsi_inquiry.h"
#include "provider/identity/page83_volume_name.h"
#include "provider/identity/scsi_inquiry_data.h"

namespace {

std::string Hex(const std::vector<uint8_t>& bytes) {
  static const char kDigits[] = "0123456789abcdef";
  size_t end = bytes.size();
  while (end > 0 && bytes[end - 1] == 0) --end;
  std::string text;
  for (size_t i = 0; i < end; ++i) {
    text += kDigits[bytes[i] >> 4];
    text += kDigits[bytes[i] & 0x0F];
  }
  if (end < bytes.size()) text += " +" + std::to_string(bytes.size() - end) + "x00";
  return text;
}

// Prints the answer's line; the bytes are left empty on failure.
bool PrintAnswer(const std::string& device, const char* key, bool vpd, uint8_t page,
                 std::vector<uint8_t>* bytes) {
  std::string error;
  const bool ok = platform::ScsiInquiry(device, vpd, page, bytes, &error);
  std::printf("%s %s\n", key, ok ? Hex(*bytes).c_str() : ("error " + error).c_str());
  return ok;
}

bool Probe(const std::string& device) {
  std::printf("device %s\n", device.c_str());
  std::vector<uint8_t> inquiry, serial_page, id_page;
  const bool answered = PrintAnswer(device, "inquiry", false, 0, &inquiry);
  PrintAnswer(device, "vpd80", true, platform::kVpdUnitSerialNumber, &serial_page);
  PrintAnswer(device, "vpd83", true, platform::kVpdDeviceIdentification, &id_page);
  std::string serial;
  kova::ParseUnitSerialNumberPage(serial_page, &serial);
  std::printf("serial %s\n", serial.c_str());
  std::string name;
  const HRESULT result = QueryPage83VolumeName(kova::TextOfUtf8(device), name);
  std::printf("page83_name 0x%08X %s\n", static_cast<unsigned>(result), name.c_str());
  std::printf("bus_type %d\n", static_cast<int>(platform::GetDeviceBusType(device)));
  return answered;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: kova_device_probe DEVICE...\n");
    return 2;
  }
  bool all = true;
  for (int i = 1; i < argc; ++i) all = Probe(argv[i]) && all;
  std::fflush(stdout);
  return all ? 0 : 1;
}
