#include "library/rest/text_conversion.h"

#include <algorithm>
#include <cstdint>
#include <limits>

namespace kova {

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

int32_t ParseLeadingInteger(const utility::string_t& text) {
  size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || (text[i] >= 9 && text[i] <= 13))) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  int64_t value = 0;
  constexpr int64_t kLimit = int64_t{std::numeric_limits<int32_t>::max()} + 1;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    value = value * 10 + (text[i] - '0');
    if (value > kLimit) value = kLimit;
  }
  if (negative) return static_cast<int32_t>(-value);
  return static_cast<int32_t>(std::min<int64_t>(value, kLimit - 1));
}

}  // namespace kova
