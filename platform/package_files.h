// The file operations with which the installer places a package file,
// checks it and removes it again.
//
// Common semantics: paths are UTF-8. CreateReplacing truncates an existing
// file; the file closes when the returned object is destroyed.
// Windows: GetTempPathW and GetCurrentDirectoryW into buffers of 521
// characters (a longer folder cannot be read); GetFileAttributesW;
// PathCombineW (a joined path longer than MAX_PATH fails);
// SetFileAttributesW(FILE_ATTRIBUTE_ARCHIVE), which clears read-only;
// CreateFileW(GENERIC_WRITE, no sharing, CREATE_ALWAYS,
// FILE_ATTRIBUTE_NORMAL); one WriteFile; DeleteFileW;
// MoveFileExW(MOVEFILE_DELAY_UNTIL_REBOOT).
// POSIX: the folder named by TMPDIR, else /tmp; getcwd; stat; joining with
// one "/"; archive-only means adding the owner's write permission;
// open(O_WRONLY | O_CREAT, 0644), then flock(LOCK_EX | LOCK_NB) in place
// of the sharing refusal, then truncation; unlink. There is no deletion at the next restart: it always fails.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace platform {

class WritableFile {
 public:
  virtual ~WritableFile() = default;
  // One write of |size| bytes; false when the write fails, else the count
  // actually written.
  virtual bool Write(const uint8_t* data, size_t size, size_t* written) = 0;
};

enum class DeleteOutcome { kDeleted, kAbsent, kFailed };

class PackageFiles {
 public:
  virtual ~PackageFiles() = default;
  virtual bool TempFolder(std::string* folder) = 0;
  virtual bool CurrentFolder(std::string* folder) = 0;
  virtual bool IsDirectory(const std::string& path) = 0;
  // True for an existing path that is not a directory.
  virtual bool IsFile(const std::string& path) = 0;
  virtual bool JoinPath(const std::string& folder, const std::string& name,
                        std::string* path) = 0;
  // Failures are ignored: the creation that follows reports them.
  virtual void SetArchiveOnly(const std::string& path) = 0;
  // Null when the file cannot be created.
  virtual std::unique_ptr<WritableFile> CreateReplacing(const std::string& path) = 0;
  virtual DeleteOutcome Delete(const std::string& path) = 0;
  virtual bool DeleteAtRestart(const std::string& path) = 0;
};

PackageFiles& SystemPackageFiles();

}  // namespace platform
