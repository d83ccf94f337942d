#include <sys/utsname.h>
#include <unistd.h>

#include <fstream>
#include <sstream>

#include "platform/os_description.h"
#include "platform/os_version.h"

namespace platform {

namespace {

std::string ReadOsName() {
  for (const char* path : {"/etc/os-release", "/usr/lib/os-release"}) {
    std::ifstream file(path);
    if (!file) continue;
    std::ostringstream text;
    text << file.rdbuf();
    const std::string name = ParseOsReleaseName(text.str());
    if (!name.empty()) return name;
  }
  return "Linux";
}

}  // namespace

OsDescription GetOsDescription() {
  OsDescription description;
  char host[256] = {};
  if (gethostname(host, sizeof host - 1) == 0) description.computer_name = host;
  description.os_name = ReadOsName();
  utsname name{};
  if (uname(&name) == 0) {
    const OsVersion version = ParseKernelRelease(name.release);
    description.major = version.major;
    description.minor = version.minor;
    description.build = name.release;
  }
  return description;
}

}  // namespace platform
