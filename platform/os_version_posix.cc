#include <sys/utsname.h>

#include "platform/os_version.h"

namespace platform {

OsVersion GetOsVersion() {
  utsname name{};
  if (uname(&name) != 0) return OsVersion{};
  return ParseKernelRelease(name.release);
}

}  // namespace platform
