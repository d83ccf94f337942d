// UTF-8 text to and from the wide strings of the Windows API (Windows
// only; wchar_t holds UTF-16 there).
#pragma once

#include <string>

#include "platform/utf16.h"

namespace platform {

inline std::wstring Wide(const std::string& utf8) {
  const std::u16string units = Utf8ToUtf16(utf8);
  return std::wstring(units.begin(), units.end());
}

inline std::string Narrow(const wchar_t* text, size_t length) {
  return Utf16ToUtf8(std::u16string(text, text + length));
}

inline std::string Narrow(const std::wstring& text) { return Narrow(text.data(), text.size()); }

}  // namespace platform
