// The UTF-8 / UTF-16 codec behind registry strings and protected tokens.
#include "platform/utf16.h"

#include <gtest/gtest.h>

namespace {

std::string Encode(char32_t code_point) {
  std::string out;
  platform::AppendUtf8(code_point, &out);
  return out;
}

const std::string kReplacement = "\xEF\xBF\xBD";

TEST(Utf16Codec, EncodesEachLengthClassAtItsBoundaries) {
  EXPECT_EQ(Encode(0x41), "A");
  EXPECT_EQ(Encode(0x7F), "\x7F");
  EXPECT_EQ(Encode(0x80), "\xC2\x80");
  EXPECT_EQ(Encode(0x7FF), "\xDF\xBF");
  EXPECT_EQ(Encode(0x800), "\xE0\xA0\x80");
  EXPECT_EQ(Encode(0xFFFF), "\xEF\xBF\xBF");
  EXPECT_EQ(Encode(0x10000), "\xF0\x90\x80\x80");
  EXPECT_EQ(Encode(0x10FFFF), "\xF4\x8F\xBF\xBF");
  EXPECT_EQ(Encode(0xD800), kReplacement);
  EXPECT_EQ(Encode(0x110000), kReplacement);
}

TEST(Utf16Codec, RoundTripsTextWithSurrogatePairs) {
  const std::string text = "db01 \xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80";
  const std::u16string wide = platform::Utf8ToUtf16(text);
  EXPECT_EQ(9u, wide.size());  // the emoji takes two units
  EXPECT_EQ(text, platform::Utf16ToUtf8(wide));
}

TEST(Utf16Codec, MalformedInputBecomesReplacementCharacters) {
  EXPECT_EQ(u"a\uFFFDb", platform::Utf8ToUtf16("a\xFF" "b"));
  // A truncated sequence gives one replacement per byte; an overlong one,
  // one for the whole sequence.
  EXPECT_EQ(u"\uFFFD\uFFFDx", platform::Utf8ToUtf16("\xE2\x82x"));
  EXPECT_EQ(u"\uFFFDx", platform::Utf8ToUtf16("\xC0\xAFx"));
  EXPECT_EQ("a" + kReplacement, platform::Utf16ToUtf8(std::u16string(u"a") + char16_t(0xD800)));
  EXPECT_EQ(kReplacement + "z", platform::Utf16ToUtf8(std::u16string(1, char16_t(0xDC00)) + u"z"));
}

}  // namespace
