#include "platform/os_version.h"

#include <cctype>
#include <cstdlib>

namespace platform {

OsVersion ParseKernelRelease(const char* release) {
  OsVersion version;
  if (!release || !std::isdigit(static_cast<unsigned char>(release[0]))) {
    return version;
  }
  char* end = nullptr;
  const long major = std::strtol(release, &end, 10);
  if (*end != '.' || !std::isdigit(static_cast<unsigned char>(end[1]))) {
    return version;
  }
  version.major = major;
  version.minor = std::strtol(end + 1, nullptr, 10);
  return version;
}

}  // namespace platform
