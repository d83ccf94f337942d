#include <windows.h>

#include "platform/os_version.h"

namespace platform {

OsVersion GetOsVersion() {
  OSVERSIONINFOW info{};
  info.dwOSVersionInfoSize = sizeof info;
#ifdef _MSC_VER
#pragma warning(suppress : 4996)  // the system reports what the manifest allows
#endif
  if (!GetVersionExW(&info)) return OsVersion{};
  return OsVersion{static_cast<long>(info.dwMajorVersion), static_cast<long>(info.dwMinorVersion)};
}

}  // namespace platform
