// The stored token format: UTF-16LE with its terminator, protected for the
// machine; read back up to the first zero character.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "library/config/token_protection.h"
#include "platform/data_protection.h"
#include "tests/support/scoped_state_dir.h"

namespace {

std::vector<uint8_t> ClearBytesOf(const std::vector<uint8_t>& blob) {
  std::vector<uint8_t> clear;
  EXPECT_TRUE(platform::UnprotectData(blob, &clear));
  return clear;
}

class TokenProtectionTest : public testing::Test {
 protected:
  ScopedStateDir state_;
};

TEST_F(TokenProtectionTest, ProtectsTheUtf16TextWithItsTerminator) {
  std::vector<uint8_t> blob;
  ASSERT_TRUE(ProtectApiToken("ab-1", &blob));
  EXPECT_EQ((std::vector<uint8_t>{'a', 0, 'b', 0, '-', 0, '1', 0, 0, 0}), ClearBytesOf(blob));

  ASSERT_TRUE(ProtectApiToken("", &blob));
  EXPECT_EQ((std::vector<uint8_t>{0, 0}), ClearBytesOf(blob)) << "an empty token is its terminator";

  ASSERT_TRUE(ProtectApiToken("\xC3\xA9\xF0\x9F\x94\x91", &blob));  // U+00E9, U+1F511
  EXPECT_EQ((std::vector<uint8_t>{0xE9, 0, 0x3D, 0xD8, 0x11, 0xDD, 0, 0}), ClearBytesOf(blob));
}

TEST_F(TokenProtectionTest, RoundTripsAndStopsAtTheFirstZero) {
  const std::string token = "3bdf3b60-f0c0-fa8a-83c1-b794ba8f562c";
  std::vector<uint8_t> blob;
  ASSERT_TRUE(ProtectApiToken(token, &blob));
  std::string back = "previous value that is longer than the token itself, to be replaced";
  ASSERT_TRUE(UnprotectApiToken(blob, &back));
  EXPECT_EQ(token, back);

  for (const std::string& text : {std::string(""), std::string("\xC3\xA9\xF0\x9F\x94\x91")}) {
    ASSERT_TRUE(ProtectApiToken(text, &blob));
    ASSERT_TRUE(UnprotectApiToken(blob, &back));
    EXPECT_EQ(text, back);
  }

  // Bytes after the first zero character, or a missing terminator, as
  // another writer might have stored them.
  ASSERT_TRUE(platform::ProtectData({'o', 0, 'k', 0, 0, 0, 'x', 0}, &blob));
  ASSERT_TRUE(UnprotectApiToken(blob, &back));
  EXPECT_EQ("ok", back);
  ASSERT_TRUE(platform::ProtectData({'n', 0, 'o', 0, 'z'}, &blob));
  ASSERT_TRUE(UnprotectApiToken(blob, &back));
  EXPECT_EQ("no", back);
}

TEST_F(TokenProtectionTest, AForeignOrAlteredBlobLeavesTheTokenAlone) {
  std::vector<uint8_t> blob;
  ASSERT_TRUE(ProtectApiToken("secret", &blob));
  std::string token = "unchanged";
  std::vector<uint8_t> altered = blob;
  altered[20] ^= 1;
  EXPECT_FALSE(UnprotectApiToken(altered, &token));
  EXPECT_FALSE(UnprotectApiToken({}, &token));
  {
    ScopedStateDir other_machine;
    EXPECT_FALSE(UnprotectApiToken(blob, &token));
  }
  EXPECT_EQ("unchanged", token);
}

}  // namespace
