#include <windows.h>
#include <winioctl.h>

#include <vector>

#include "platform/block_device_bus.h"
#include "platform/utf16.h"

namespace platform {

VDS_STORAGE_BUS_TYPE GetDeviceBusType(const std::string& device) {
  const std::u16string path = Utf8ToUtf16(device);
  HANDLE handle =
      CreateFileW(reinterpret_cast<const wchar_t*>(path.c_str()), 0,
                  FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return VDSBusTypeUnknown;
  STORAGE_PROPERTY_QUERY query{};
  query.PropertyId = StorageDeviceProperty;
  query.QueryType = PropertyStandardQuery;
  std::vector<BYTE> buffer(1024, 0);
  DWORD returned = 0;
  const BOOL ok =
      DeviceIoControl(handle, IOCTL_STORAGE_QUERY_PROPERTY, &query, sizeof query, buffer.data(),
                      static_cast<DWORD>(buffer.size()), &returned, nullptr);
  CloseHandle(handle);
  if (!ok || returned < offsetof(STORAGE_DEVICE_DESCRIPTOR, BusType) + sizeof(STORAGE_BUS_TYPE)) {
    return VDSBusTypeUnknown;
  }
  // STORAGE_BUS_TYPE and VDS_STORAGE_BUS_TYPE number the buses alike.
  const auto* descriptor = reinterpret_cast<const STORAGE_DEVICE_DESCRIPTOR*>(buffer.data());
  return static_cast<VDS_STORAGE_BUS_TYPE>(descriptor->BusType);
}

}  // namespace platform
