#include <windows.h>

#include <string>

#include "platform/os_description.h"
#include "platform/utf16.h"

namespace platform {

OsDescription GetOsDescription() {
  OsDescription description;
  wchar_t name[MAX_COMPUTERNAME_LENGTH + 1] = {};
  DWORD size = MAX_COMPUTERNAME_LENGTH + 1;
  if (GetComputerNameW(name, &size)) {
    description.computer_name = Utf16ToUtf8(std::u16string(reinterpret_cast<char16_t*>(name), size));
  }
  description.os_name = "Windows";
  OSVERSIONINFOW info{};
  info.dwOSVersionInfoSize = sizeof info;
#ifdef _MSC_VER
#pragma warning(suppress : 4996)  // the system reports what the manifest allows
#endif
  if (GetVersionExW(&info)) {
    description.major = static_cast<long>(info.dwMajorVersion);
    description.minor = static_cast<long>(info.dwMinorVersion);
    description.build = std::to_string(info.dwBuildNumber);
  }
  return description;
}

}  // namespace platform
