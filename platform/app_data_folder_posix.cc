#include <cstdlib>

#include "platform/app_data_folder.h"

namespace platform {

std::string CommonAppDataFolder() {
  const char* value = std::getenv("ALLUSERSPROFILE");
  std::string folder = (value && *value) ? value : "/var/log";
  while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
  return folder;
}

}  // namespace platform
