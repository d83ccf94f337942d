#include <windows.h>

#include "platform/windows_version.h"

#ifdef _MSC_VER
// GetVersionExW is deprecated there, yet it is the one query that reports
// what the program's manifest admits, which is what the version check wants.
#pragma warning(disable : 4996)
#endif

namespace platform {
namespace {

class SystemVersionSource : public WindowsVersionSource {
 public:
  WindowsVersion Read() override {
    OSVERSIONINFOEXW info{};
    info.dwOSVersionInfoSize = sizeof info;
    auto* record = reinterpret_cast<OSVERSIONINFOW*>(&info);
    BOOL read = GetVersionExW(record);
    if (!read) {
      info = OSVERSIONINFOEXW{};
      info.dwOSVersionInfoSize = sizeof(OSVERSIONINFOW);
      read = GetVersionExW(record);
    }
    WindowsVersion version;
    if (!read) return version;
    version.nt_platform = info.dwPlatformId == VER_PLATFORM_WIN32_NT;
    version.major = info.dwMajorVersion;
    version.minor = info.dwMinorVersion;
    version.product_type = info.wProductType;
    return version;
  }
};

}  // namespace

WindowsVersionSource& SystemWindowsVersion() {
  static SystemVersionSource source;
  return source;
}

}  // namespace platform
