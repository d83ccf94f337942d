#include "provider/identity/identity_text.h"

#include "platform/utf16.h"

namespace kova {

std::string Utf8OfText(const std::string& text) { return text; }

std::string Utf8OfText(const std::wstring& text) {
  std::u16string utf16;
  for (wchar_t c : text) utf16.push_back(static_cast<char16_t>(c));
  return platform::Utf16ToUtf8(utf16);
}

void TextOfUtf8(const std::string& utf8, std::string* text) { *text = utf8; }

void TextOfUtf8(const std::string& utf8, std::wstring* text) {
  const std::u16string utf16 = platform::Utf8ToUtf16(utf8);
  text->assign(utf16.begin(), utf16.end());
}

}  // namespace kova
