#include "installer/windows_version_check.h"

WindowsVerdict JudgeWindowsVersion(const platform::WindowsVersion& version) {
  if (!version.nt_platform) return WindowsVerdict::kUnsupported;
  const bool server = version.product_type != platform::kProductTypeWorkstation;
  if (version.major == 5) {
    return version.minor == 2 && server ? WindowsVerdict::kAskServer2003
                                        : WindowsVerdict::kUnsupported;
  }
  if (version.major == 6) {
    return version.minor <= 3 && server ? WindowsVerdict::kSupported
                                        : WindowsVerdict::kUnsupported;
  }
  return WindowsVerdict::kUnsupported;
}
