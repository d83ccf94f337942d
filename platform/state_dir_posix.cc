#include "platform/state_dir.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdlib>

namespace platform {

std::string StateDirectory() {
  const char* dir = std::getenv("KOVA_STATE_DIR");
  if (dir && *dir) return dir;
  return "/var/lib/kova";
}

bool EnsureStateDirectory(const std::string& dir) {
  if (mkdir(dir.c_str(), 0700) != 0 && errno != EEXIST) return false;
  struct stat st;
  return stat(dir.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace platform
