#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>

#include "platform/log_files.h"

namespace platform {

bool CreateFolder(const std::string& path) { return mkdir(path.c_str(), 0755) == 0; }

bool FileSizeOf(const std::string& path, uint64_t* size) {
  struct stat status {};
  if (stat(path.c_str(), &status) != 0 || !S_ISREG(status.st_mode)) return false;
  *size = static_cast<uint64_t>(status.st_size);
  return true;
}

bool RemoveFile(const std::string& path) { return unlink(path.c_str()) == 0; }

bool RenameFile(const std::string& from, const std::string& to) {
  return std::rename(from.c_str(), to.c_str()) == 0;
}

std::unique_ptr<AppendFile> AppendFile::Open(const std::string& path) {
  const int fd = open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
  if (fd < 0) return nullptr;
  return std::unique_ptr<AppendFile>(new AppendFile(fd));
}

AppendFile::~AppendFile() { Close(); }

bool AppendFile::Write(const char* data, size_t size) {
  if (handle_ < 0) return false;
  while (size > 0) {
    const ssize_t written = write(static_cast<int>(handle_), data, size);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    data += written;
    size -= static_cast<size_t>(written);
  }
  return true;
}

bool AppendFile::Close() {
  if (handle_ < 0) return false;
  const int fd = static_cast<int>(handle_);
  handle_ = -1;
  return close(fd) == 0;
}

}  // namespace platform
