// Which Windows this is, as the installer bootstrapper judges it: the
// platform, the version numbers and whether the product is a workstation.
//
// Windows: GetVersionExW with the extended record (OSVERSIONINFOEXW), or
// the basic record when the extended one is refused; the numbers are those
// the system reports to a program without a compatibility manifest. The
// basic record carries no product type, which then reads as 0.
// Windows only; tests use fakes.
#pragma once

namespace platform {

inline constexpr unsigned kProductTypeWorkstation = 1;  // VER_NT_WORKSTATION
inline constexpr unsigned kProductTypeDomainController = 2;
inline constexpr unsigned kProductTypeServer = 3;

struct WindowsVersion {
  bool nt_platform = false;   // VER_PLATFORM_WIN32_NT
  unsigned long major = 0;
  unsigned long minor = 0;
  unsigned product_type = 0;  // kProductType..., 0 when not reported
};

class WindowsVersionSource {
 public:
  virtual ~WindowsVersionSource() = default;
  // A record with nt_platform false when the system refuses both queries.
  virtual WindowsVersion Read() = 0;
};

WindowsVersionSource& SystemWindowsVersion();

}  // namespace platform
