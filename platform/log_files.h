// The file operations the diagnostic log needs: its folder, the size test
// and renames of rotation, and a file that lines are appended to.
//
// Paths are UTF-8. No function throws; each reports failure in its result.
// POSIX: mkdir, stat, unlink, rename, and a descriptor opened with O_APPEND
// (several processes may append at once; each Write is one write(2)).
// Windows: CreateDirectoryW, GetFileAttributesExW, DeleteFileW, MoveFileW,
// and _wfsopen in text mode with _SH_DENYNO, unbuffered, so "\n" reaches the
// disk as CR LF and other processes may read and write the file meanwhile.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace platform {

#ifdef _WIN32
inline constexpr char kPathSeparator = '\\';
#else
inline constexpr char kPathSeparator = '/';
#endif

// Creates one folder (its parent must exist). False when it exists already
// or cannot be created.
bool CreateFolder(const std::string& path);

// The size in bytes of the file at `path`; false when there is none.
bool FileSizeOf(const std::string& path, uint64_t* size);

// False when the file is missing or cannot be removed.
bool RemoveFile(const std::string& path);

// False when `from` is missing or cannot be renamed. Whether an existing `to`
// is replaced differs (POSIX replaces it, Windows fails): callers that care
// remove it first.
bool RenameFile(const std::string& from, const std::string& to);

// A file opened for appending, created when missing. Nothing is buffered in
// the process: each Write hands its bytes to the operating system at once.
class AppendFile {
 public:
  // nullptr when the file cannot be opened or created.
  static std::unique_ptr<AppendFile> Open(const std::string& path);
  ~AppendFile();  // closes, ignoring failure

  AppendFile(const AppendFile&) = delete;
  AppendFile& operator=(const AppendFile&) = delete;

  // Appends all `size` bytes in one call to the operating system (repeated
  // only for the rest of an interrupted or partial write). False on failure.
  bool Write(const char* data, size_t size);

  // False when the operating system reports a failure; the file is closed
  // either way and later writes fail.
  bool Close();

 private:
  explicit AppendFile(intptr_t handle) : handle_(handle) {}

  intptr_t handle_;  // POSIX: the descriptor; Windows: the FILE*; -1 or 0 when closed
};

}  // namespace platform
