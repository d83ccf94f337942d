#include <windows.h>

#include "platform/message_file.h"
#include "platform/wide_text_win.h"

namespace platform {

bool FormatFileMessage(const std::string& file, uint32_t id,
                       const std::vector<std::string>& insertions, std::string* text) {
  const HMODULE module =
      LoadLibraryExW(Wide(file).c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  if (!module) return false;
  std::vector<std::wstring> wide;
  for (const std::string& insertion : insertions) wide.push_back(Wide(insertion));
  std::vector<DWORD_PTR> arguments;
  for (const std::wstring& insertion : wide) {
    arguments.push_back(reinterpret_cast<DWORD_PTR>(insertion.c_str()));
  }
  wchar_t* buffer = nullptr;
  const DWORD length = FormatMessageW(
      FORMAT_MESSAGE_FROM_HMODULE | FORMAT_MESSAGE_ARGUMENT_ARRAY | FORMAT_MESSAGE_ALLOCATE_BUFFER,
      module, id, MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US), reinterpret_cast<LPWSTR>(&buffer),
      0, reinterpret_cast<va_list*>(arguments.empty() ? nullptr : arguments.data()));
  if (length > 0) *text = Narrow(buffer, length);
  LocalFree(buffer);
  FreeLibrary(module);
  return length > 0;
}

}  // namespace platform
