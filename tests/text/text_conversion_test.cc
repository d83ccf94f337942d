#include <gtest/gtest.h>

#include "library/text/text_conversion.h"

namespace {

TEST(TextConversion, LoneSurrogatesBecomeTheReplacementCharacter) {
  const std::string replacement = "\xEF\xBF\xBD";
  const wchar_t lone[] = {L'a', static_cast<wchar_t>(0xDC00), L'b'};
  EXPECT_EQ(kova::WideToUtf8(lone, 3), "a" + replacement + "b");
}

TEST(TextConversion, ConvertsWideStrings) {
  EXPECT_EQ(kova::Utf8OfText(std::wstring(L"plain")), "plain");
  EXPECT_EQ(kova::Utf8OfText(std::wstring(L"\u00e9\u20ac\U0001F600")),
            "\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80");
  EXPECT_EQ(kova::Utf8OfText(std::wstring(L"a\0b", 3)), std::string("a\0b", 3));
  EXPECT_EQ(kova::WideToUtf8(nullptr, 4), "");
}

}  // namespace
