#include "platform/program_identity.h"

namespace platform {

std::string FolderOfPath(const std::string& path) {
#ifdef _WIN32
  const size_t end = path.find_last_of("\\/");
#else
  const size_t end = path.find_last_of('/');
#endif
  return end == std::string::npos ? std::string() : path.substr(0, end + 1);
}

}  // namespace platform
