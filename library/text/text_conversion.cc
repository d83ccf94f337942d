#include "library/text/text_conversion.h"

#include "platform/utf16.h"

namespace kova {
namespace {

bool IsHighSurrogate(char32_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool IsLowSurrogate(char32_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

}  // namespace

std::string NarrowText(const utility::string_t& wide) {
#ifdef _UTF16_STRINGS
  std::string narrow(wide.size(), '\0');
  for (size_t i = 0; i < wide.size(); ++i) narrow[i] = static_cast<char>(wide[i] & 0xFF);
  return narrow;
#else
  return wide;
#endif
}

utility::string_t WidenText(const std::string& narrow) {
#ifdef _UTF16_STRINGS
  utility::string_t wide(narrow.size(), 0);
  for (size_t i = 0; i < narrow.size(); ++i) {
    wide[i] = static_cast<utility::char_t>(static_cast<unsigned char>(narrow[i]));
  }
  return wide;
#else
  return narrow;
#endif
}

std::string Utf8OfText(const std::string& text) { return text; }

std::string Utf8OfText(const std::wstring& text) { return WideToUtf8(text.data(), text.size()); }

std::string WideToUtf8(const wchar_t* text, size_t length) {
  std::string out;
  if (!text) return out;
  out.reserve(length);
  for (size_t i = 0; i < length; ++i) {
    // Through an unsigned type of the same width: wchar_t may be signed.
    char32_t unit = sizeof(wchar_t) == 2 ? static_cast<char32_t>(static_cast<char16_t>(text[i]))
                                         : static_cast<char32_t>(text[i]);
    if (sizeof(wchar_t) == 2 && IsHighSurrogate(unit) && i + 1 < length) {
      const char32_t next = static_cast<char16_t>(text[i + 1]);
      if (IsLowSurrogate(next)) {
        unit = 0x10000 + ((unit - 0xD800) << 10) + (next - 0xDC00);
        ++i;
      }
    }
    platform::AppendUtf8(unit, &out);
  }
  return out;
}

utility::string_t TextOfUtf8(const std::string& utf8) {
  utility::string_t text;
  TextOfUtf8(utf8, &text);
  return text;
}

void TextOfUtf8(const std::string& utf8, std::string* text) { *text = utf8; }

void TextOfUtf8(const std::string& utf8, std::wstring* text) {
  const std::u16string utf16 = platform::Utf8ToUtf16(utf8);
  text->assign(utf16.begin(), utf16.end());
}

}  // namespace kova
