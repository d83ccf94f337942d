#include "library/log/utf8_text.h"

namespace {

constexpr char32_t kReplacement = 0xFFFD;

bool IsHighSurrogate(char32_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool IsLowSurrogate(char32_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

}  // namespace

void AppendUtf8(char32_t code_point, std::string* out) {
  if (code_point > 0x10FFFF || IsHighSurrogate(code_point) || IsLowSurrogate(code_point)) {
    code_point = kReplacement;
  }
  if (code_point < 0x80) {
    out->push_back(static_cast<char>(code_point));
  } else if (code_point < 0x800) {
    out->push_back(static_cast<char>(0xC0 | (code_point >> 6)));
    out->push_back(static_cast<char>(0x80 | (code_point & 0x3F)));
  } else if (code_point < 0x10000) {
    out->push_back(static_cast<char>(0xE0 | (code_point >> 12)));
    out->push_back(static_cast<char>(0x80 | ((code_point >> 6) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | (code_point & 0x3F)));
  } else {
    out->push_back(static_cast<char>(0xF0 | (code_point >> 18)));
    out->push_back(static_cast<char>(0x80 | ((code_point >> 12) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | ((code_point >> 6) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | (code_point & 0x3F)));
  }
}

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
    AppendUtf8(unit, &out);
  }
  return out;
}
