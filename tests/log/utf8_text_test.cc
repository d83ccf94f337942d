#include "library/log/utf8_text.h"

#include <gtest/gtest.h>

namespace {

std::string Encode(char32_t code_point) {
  std::string out;
  AppendUtf8(code_point, &out);
  return out;
}

TEST(LogUtf8Text, EncodesEachLengthClassAtItsBoundaries) {
  EXPECT_EQ(Encode(0x41), "A");
  EXPECT_EQ(Encode(0x7F), "\x7F");
  EXPECT_EQ(Encode(0x80), "\xC2\x80");
  EXPECT_EQ(Encode(0x7FF), "\xDF\xBF");
  EXPECT_EQ(Encode(0x800), "\xE0\xA0\x80");
  EXPECT_EQ(Encode(0xFFFF), "\xEF\xBF\xBF");
  EXPECT_EQ(Encode(0x10000), "\xF0\x90\x80\x80");
  EXPECT_EQ(Encode(0x10FFFF), "\xF4\x8F\xBF\xBF");
}

TEST(LogUtf8Text, NonCharactersBecomeTheReplacementCharacter) {
  const std::string replacement = "\xEF\xBF\xBD";
  EXPECT_EQ(Encode(0xD800), replacement);
  EXPECT_EQ(Encode(0xDFFF), replacement);
  EXPECT_EQ(Encode(0x110000), replacement);
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
