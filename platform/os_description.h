// What the configuration tool's banner says about the machine: its name and
// its operating system.
// POSIX: gethostname; the name from /etc/os-release (PRETTY_NAME, else
// NAME; /usr/lib/os-release when the first is missing; "Linux" when neither
// says); major and minor from the kernel release, which is also the build.
// Windows: GetComputerNameW; "Windows" with the version numbers and build
// number that the system reports (GetVersionExW).
#pragma once

#include <string>

namespace platform {

struct OsDescription {
  std::string computer_name;
  std::string os_name;
  long major = 0;
  long minor = 0;
  std::string build;
};

OsDescription GetOsDescription();

// The operating system's name in the text of an os-release file: the value
// of PRETTY_NAME, else of NAME, with its quotes and escapes removed; "" when
// neither is there.
std::string ParseOsReleaseName(const std::string& os_release);

}  // namespace platform
