#include "library/log/utf8_text.h"

#include <gtest/gtest.h>

namespace {

TEST(LogUtf8Text, LoneSurrogatesBecomeTheReplacementCharacter) {
  const std::string replacement = "\xEF\xBF\xBD";
  const wchar_t lone[] = {L'a', static_cast<wchar_t>(0xDC00), L'b'};
  EXPECT_EQ(WideToUtf8(lone, 3), "a" + replacement + "b");
}

TEST(LogUtf8Text, ConvertsWideStrings) {
  EXPECT_EQ(WideToUtf8(std::wstring(L"plain")), "plain");
  EXPECT_EQ(WideToUtf8(std::wstring(L"\u00e9\u20ac\U0001F600")),
            "\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80");
  EXPECT_EQ(WideToUtf8(std::wstring(L"a\0b", 3)), std::string("a\0b", 3));
  EXPECT_EQ(WideToUtf8(nullptr, 4), "");
}

}  // namespace
