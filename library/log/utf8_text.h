// Wide text to UTF-8, for the formatter's "%ls" and "%lc" and for wide
// arguments generally. wchar_t is UTF-16 on Windows (surrogate pairs are
// joined) and UTF-32 on Linux; a unit that is no valid code point (a lone
// surrogate, a value above U+10FFFF) becomes U+FFFD rather than an error.
#pragma once

#include <cstddef>
#include <string>

std::string WideToUtf8(const wchar_t* text, size_t length);
inline std::string WideToUtf8(const std::wstring& text) {
  return WideToUtf8(text.data(), text.size());
}
