#include "platform/host_files.h"

#include <mutex>

namespace platform {
namespace {

std::mutex& Lock() {
  static std::mutex* const lock = new std::mutex;
  return *lock;
}

HostFiles& Current() {
  static HostFiles* const files = new HostFiles;
  return *files;
}

}  // namespace

std::string HostFiles::Path(const std::string& absolute) const {
  std::string base = root.empty() ? "/" : root;
  while (base.size() > 1 && base.back() == '/') base.pop_back();
  if (base == "/") return absolute;
  return base + absolute;
}

HostFiles CurrentHostFiles() {
  std::lock_guard<std::mutex> hold(Lock());
  return Current();
}

void SetHostFiles(const HostFiles& files) {
  std::lock_guard<std::mutex> hold(Lock());
  Current() = files;
}

}  // namespace platform
