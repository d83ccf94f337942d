#include <share.h>
#include <stdio.h>
#include <windows.h>

#include "platform/log_files.h"
#include "platform/utf16.h"

namespace platform {
namespace {

std::wstring Wide(const std::string& utf8) {
  const std::u16string utf16 = Utf8ToUtf16(utf8);
  return std::wstring(utf16.begin(), utf16.end());
}

}  // namespace

bool CreateFolder(const std::string& path) {
  return CreateDirectoryW(Wide(path).c_str(), nullptr) != FALSE;
}

bool FileSizeOf(const std::string& path, uint64_t* size) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!GetFileAttributesExW(Wide(path).c_str(), GetFileExInfoStandard, &data) ||
      (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
    return false;
  }
  *size = (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
  return true;
}

bool RemoveFile(const std::string& path) { return DeleteFileW(Wide(path).c_str()) != FALSE; }

bool RenameFile(const std::string& from, const std::string& to) {
  return MoveFileW(Wide(from).c_str(), Wide(to).c_str()) != FALSE;
}

std::unique_ptr<AppendFile> AppendFile::Open(const std::string& path) {
  FILE* file = _wfsopen(Wide(path).c_str(), L"at", _SH_DENYNO);
  if (!file) return nullptr;
  setvbuf(file, nullptr, _IONBF, 0);
  return std::unique_ptr<AppendFile>(new AppendFile(reinterpret_cast<intptr_t>(file)));
}

AppendFile::~AppendFile() { Close(); }

bool AppendFile::Write(const char* data, size_t size) {
  if (!handle_) return false;
  FILE* file = reinterpret_cast<FILE*>(handle_);
  return fwrite(data, 1, size, file) == size;
}

bool AppendFile::Close() {
  if (!handle_) return false;
  FILE* file = reinterpret_cast<FILE*>(handle_);
  handle_ = 0;
  return fclose(file) == 0;
}

}  // namespace platform
