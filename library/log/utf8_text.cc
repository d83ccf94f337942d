#include "library/log/utf8_text.h"

#include "platform/utf16.h"

namespace {

bool IsHighSurrogate(char32_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool IsLowSurrogate(char32_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

}  // namespace

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
