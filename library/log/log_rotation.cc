#include "library/log/log_rotation.h"

#include "platform/log_files.h"

bool RotateLogIfLarge(const std::string& path) {
  uint64_t size = 0;
  if (!platform::FileSizeOf(path, &size) || size <= kLogRotationSize) return false;
  RotateLog(path);
  return true;
}

void RotateLog(const std::string& path) {
  const auto generation = [&](int n) { return path + "." + std::to_string(n); };
  platform::RemoveFile(generation(kLogGenerations));
  for (int n = kLogGenerations - 1; n >= 1; --n) {
    platform::RenameFile(generation(n), generation(n + 1));
  }
  platform::RenameFile(path, generation(1));
}
