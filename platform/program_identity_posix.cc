#include <pwd.h>
#include <unistd.h>

#include <vector>

#include "platform/program_identity.h"

namespace platform {

uint32_t CurrentProcessId() { return static_cast<uint32_t>(getpid()); }

std::string CurrentUserName() {
  const uid_t uid = geteuid();
  std::vector<char> buffer(16384);
  passwd entry{};
  passwd* found = nullptr;
  if (getpwuid_r(uid, &entry, buffer.data(), buffer.size(), &found) == 0 && found) {
    return found->pw_name;
  }
  return std::to_string(uid);
}

std::string ProgramPath() {
  std::vector<char> buffer(4096);
  const ssize_t length = readlink("/proc/self/exe", buffer.data(), buffer.size());
  if (length <= 0 || static_cast<size_t>(length) >= buffer.size()) return std::string();
  return std::string(buffer.data(), static_cast<size_t>(length));
}

std::string ProgramCommandLine(const std::vector<std::string>& args) {
  std::string line;
  for (size_t i = 1; i < args.size(); ++i) {
    if (i > 1) line += ' ';
    line += args[i];
  }
  return line;
}

}  // namespace platform
