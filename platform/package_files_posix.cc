#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "platform/package_files.h"

namespace platform {
namespace {

class PosixWritableFile : public WritableFile {
 public:
  explicit PosixWritableFile(int fd) : fd_(fd) {}
  ~PosixWritableFile() override { close(fd_); }

  bool Write(const uint8_t* data, size_t size, size_t* written) override {
    ssize_t count;
    do {
      count = write(fd_, data, size);
    } while (count < 0 && errno == EINTR);
    if (count < 0) return false;
    *written = static_cast<size_t>(count);
    return true;
  }

 private:
  int fd_;
};

bool StatPath(const std::string& path, struct stat* info) {
  return !path.empty() && stat(path.c_str(), info) == 0;
}

class PosixPackageFiles : public PackageFiles {
 public:
  bool TempFolder(std::string* folder) override {
    const char* tmpdir = std::getenv("TMPDIR");
    *folder = tmpdir && *tmpdir ? tmpdir : "/tmp";
    return true;
  }

  bool CurrentFolder(std::string* folder) override {
    char buffer[4096];
    if (!getcwd(buffer, sizeof buffer)) return false;
    *folder = buffer;
    return true;
  }

  bool IsDirectory(const std::string& path) override {
    struct stat info;
    return StatPath(path, &info) && S_ISDIR(info.st_mode);
  }

  bool IsFile(const std::string& path) override {
    struct stat info;
    return StatPath(path, &info) && !S_ISDIR(info.st_mode);
  }

  bool JoinPath(const std::string& folder, const std::string& name, std::string* path) override {
    if (folder.empty() || name.empty()) return false;
    *path = folder.back() == '/' ? folder + name : folder + "/" + name;
    return true;
  }

  void SetArchiveOnly(const std::string& path) override {
    struct stat info;
    if (StatPath(path, &info)) chmod(path.c_str(), (info.st_mode & 07777) | S_IWUSR);
  }

  std::unique_ptr<WritableFile> CreateReplacing(const std::string& path) override {
    // Truncated only once locked, so a file held by another writer is left
    // as it was, as the sharing refusal leaves it on Windows.
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) return nullptr;
    if (flock(fd, LOCK_EX | LOCK_NB) != 0 || ftruncate(fd, 0) != 0) {
      close(fd);
      return nullptr;
    }
    return std::make_unique<PosixWritableFile>(fd);
  }

  DeleteOutcome Delete(const std::string& path) override {
    if (unlink(path.c_str()) == 0) return DeleteOutcome::kDeleted;
    return errno == ENOENT ? DeleteOutcome::kAbsent : DeleteOutcome::kFailed;
  }

  bool DeleteAtRestart(const std::string& path) override { return false; }
};

}  // namespace

PackageFiles& SystemPackageFiles() {
  static PosixPackageFiles files;
  return files;
}

}  // namespace platform
