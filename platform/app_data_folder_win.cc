#include <windows.h>

#include <string>

#include "platform/app_data_folder.h"
#include "platform/utf16.h"

namespace platform {

std::string CommonAppDataFolder() {
  wchar_t buffer[521] = {};
  const DWORD length = ExpandEnvironmentStringsW(L"%ALLUSERSPROFILE%", buffer, 521);
  if (length == 0 || length > 521) return std::string();
  std::u16string folder(reinterpret_cast<const char16_t*>(buffer));
  while (folder.size() > 3 && (folder.back() == u'\\' || folder.back() == u'/')) {
    folder.pop_back();
  }
  return Utf16ToUtf8(folder);
}

}  // namespace platform
