#include "tools/KovaVssShadow/device_lun_reader.h"

#include <new>

#include "provider/identity/lun_record_builder.h"
#include "tools/KovaVssShadow/lun_record.h"

bool ReadDeviceLunRecord(const std::string& device, VDS_LUN_INFORMATION* lun, std::string* error) {
  VDS_LUN_INFORMATION read{};
  if (!ReadLunInformationFromDevice(device, &read, error)) return false;
  try {
    CopyLunRecord(read, lun);
  } catch (const std::bad_alloc&) {
    FreeLunRecord(&read);
    *error = "out of memory";
    return false;
  }
  FreeLunRecord(&read);
  return true;
}
