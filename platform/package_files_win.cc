#include <windows.h>
// windows.h first: shlwapi.h needs its types.
#include <shlwapi.h>

#include "platform/package_files.h"
#include "platform/wide_text_win.h"

namespace platform {
namespace {

constexpr DWORD kFolderBuffer = 521;

class SystemWritableFile : public WritableFile {
 public:
  explicit SystemWritableFile(HANDLE handle) : handle_(handle) {}
  ~SystemWritableFile() override { CloseHandle(handle_); }

  bool Write(const uint8_t* data, size_t size, size_t* written) override {
    DWORD count = 0;
    if (size > MAXDWORD || !WriteFile(handle_, data, static_cast<DWORD>(size), &count, nullptr)) {
      return false;
    }
    *written = count;
    return true;
  }

 private:
  HANDLE handle_;
};

bool ReadFolder(DWORD (*read)(DWORD, LPWSTR), std::string* folder) {
  wchar_t buffer[kFolderBuffer];
  const DWORD length = read(kFolderBuffer, buffer);
  if (length == 0 || length >= kFolderBuffer) return false;
  *folder = Narrow(buffer, length);
  return true;
}

DWORD ReadTempPath(DWORD size, LPWSTR buffer) { return GetTempPathW(size, buffer); }
DWORD ReadCurrentDirectory(DWORD size, LPWSTR buffer) {
  return GetCurrentDirectoryW(size, buffer);
}

DWORD Attributes(const std::string& path) { return GetFileAttributesW(Wide(path).c_str()); }

class SystemFiles : public PackageFiles {
 public:
  bool TempFolder(std::string* folder) override { return ReadFolder(ReadTempPath, folder); }
  bool CurrentFolder(std::string* folder) override {
    return ReadFolder(ReadCurrentDirectory, folder);
  }

  bool IsDirectory(const std::string& path) override {
    const DWORD attributes = Attributes(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
  }

  bool IsFile(const std::string& path) override {
    const DWORD attributes = Attributes(path);
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
  }

  bool JoinPath(const std::string& folder, const std::string& name, std::string* path) override {
    wchar_t buffer[MAX_PATH];
    if (!PathCombineW(buffer, Wide(folder).c_str(), Wide(name).c_str())) return false;
    *path = Narrow(std::wstring(buffer));
    return true;
  }

  void SetArchiveOnly(const std::string& path) override {
    SetFileAttributesW(Wide(path).c_str(), FILE_ATTRIBUTE_ARCHIVE);
  }

  std::unique_ptr<WritableFile> CreateReplacing(const std::string& path) override {
    const HANDLE handle = CreateFileW(Wide(path).c_str(), GENERIC_WRITE, 0, nullptr,
                                      CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return nullptr;
    return std::make_unique<SystemWritableFile>(handle);
  }

  DeleteOutcome Delete(const std::string& path) override {
    if (DeleteFileW(Wide(path).c_str())) return DeleteOutcome::kDeleted;
    const DWORD error = GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? DeleteOutcome::kAbsent
                                                                          : DeleteOutcome::kFailed;
  }

  bool DeleteAtRestart(const std::string& path) override {
    return MoveFileExW(Wide(path).c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT) != 0;
  }
};

}  // namespace

PackageFiles& SystemPackageFiles() {
  static SystemFiles files;
  return files;
}

}  // namespace platform
