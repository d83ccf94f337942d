// The stored token format: UTF-16LE with its terminator, protected for the
// machine; read back up to the first zero character.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "library/config/token_protection.h"
#include "platform/data_protection.h"
#include "tests/support/scoped_state_dir.h"
#include "tests/support/test_environment.h"
#include "tests/support/wide_text.h"

namespace {

std::vector<uint8_t> ClearBytesOf(const std::vector<uint8_t>& blob) {
  std::vector<uint8_t> clear;
  EXPECT_TRUE(platform::UnprotectData(blob, &clear));
  return clear;
}

// The blob's positions whose change UnprotectApiToken accepts, of those
// from |first| to the end.
std::vector<size_t> AcceptedAlterations(const std::vector<uint8_t>& blob, size_t first) {
  std::vector<size_t> accepted;
  for (size_t i = first; i < blob.size(); ++i) {
    std::vector<uint8_t> altered = blob;
    altered[i] ^= 0x01;
    utility::string_t token;
    if (UnprotectApiToken(altered, &token)) accepted.push_back(i);
  }
  return accepted;
}

class TokenProtectionTest : public testing::Test {
 protected:
  ScopedStateDir state_;
};

TEST_F(TokenProtectionTest, ProtectsTheUtf16TextWithItsTerminator) {
  std::vector<uint8_t> blob;
  ASSERT_TRUE(ProtectApiToken(Wide("ab-1"), &blob));
  EXPECT_EQ((std::vector<uint8_t>{'a', 0, 'b', 0, '-', 0, '1', 0, 0, 0}), ClearBytesOf(blob));

  ASSERT_TRUE(ProtectApiToken(Wide(""), &blob));
  EXPECT_EQ((std::vector<uint8_t>{0, 0}), ClearBytesOf(blob)) << "an empty token is its terminator";

  ASSERT_TRUE(ProtectApiToken(Wide("\xC3\xA9\xF0\x9F\x94\x91"), &blob));  // U+00E9, U+1F511
  EXPECT_EQ((std::vector<uint8_t>{0xE9, 0, 0x3D, 0xD8, 0x11, 0xDD, 0, 0}), ClearBytesOf(blob));
}

TEST_F(TokenProtectionTest, RoundTripsAndStopsAtTheFirstZero) {
  const std::string token = "3bdf3b60-f0c0-fa8a-83c1-b794ba8f562c";
  std::vector<uint8_t> blob;
  ASSERT_TRUE(ProtectApiToken(Wide(token), &blob));
  utility::string_t back = Wide("previous value that is longer than the token itself, to be replaced");
  ASSERT_TRUE(UnprotectApiToken(blob, &back));
  EXPECT_EQ(Wide(token), back);

  for (const std::string& text : {std::string(""), std::string("\xC3\xA9\xF0\x9F\x94\x91")}) {
    ASSERT_TRUE(ProtectApiToken(Wide(text), &blob));
    ASSERT_TRUE(UnprotectApiToken(blob, &back));
    EXPECT_EQ(Wide(text), back);
  }

  // Bytes after the first zero character, or a missing terminator, as
  // another writer might have stored them.
  ASSERT_TRUE(platform::ProtectData({'o', 0, 'k', 0, 0, 0, 'x', 0}, &blob));
  ASSERT_TRUE(UnprotectApiToken(blob, &back));
  EXPECT_EQ(Wide("ok"), back);
  ASSERT_TRUE(platform::ProtectData({'n', 0, 'o', 0, 'z'}, &blob));
  ASSERT_TRUE(UnprotectApiToken(blob, &back));
  EXPECT_EQ(Wide("no"), back);
}

TEST_F(TokenProtectionTest, AForeignOrAlteredBlobLeavesTheTokenAlone) {
  std::vector<uint8_t> blob;
  ASSERT_TRUE(ProtectApiToken(Wide("secret"), &blob));
  utility::string_t token = Wide("unchanged");
  std::vector<uint8_t> altered = blob;
  altered[20] ^= 1;
  EXPECT_FALSE(UnprotectApiToken(altered, &token));
  EXPECT_FALSE(UnprotectApiToken({}, &token));
  EXPECT_EQ(Wide("unchanged"), token);
}

TEST_F(TokenProtectionTest, AChangeInTheSealedTextOrItsSealIsRefused) {
  std::vector<uint8_t> blob;
  ASSERT_TRUE(ProtectApiToken(Wide("3bdf3b60-f0c0-fa8a-83c1-b794ba8f562c"), &blob));
  // The cipher text and what authenticates it end every format's blob.
  ASSERT_GT(blob.size(), 96u);
  EXPECT_EQ(std::vector<size_t>{}, AcceptedAlterations(blob, blob.size() - 96));
}

TEST_F(TokenProtectionTest, AChangeAnywhereInTheBlobIsRefused) {
  if (RunningUnderWine()) {
    GTEST_SKIP() << "Wine's CryptUnprotectData does not check the blob's master key identifier, "
                    "description and algorithm header (changes there are accepted)";
  }
  std::vector<uint8_t> blob;
  ASSERT_TRUE(ProtectApiToken(Wide("3bdf3b60-f0c0-fa8a-83c1-b794ba8f562c"), &blob));
  EXPECT_EQ(std::vector<size_t>{}, AcceptedAlterations(blob, 0));
}

TEST_F(TokenProtectionTest, ABlobOfAnotherMachineLeavesTheTokenAlone) {
  if (const char* reason = ScopedStateDir::NoOtherMachine()) GTEST_SKIP() << reason;
  std::vector<uint8_t> blob;
  ASSERT_TRUE(ProtectApiToken(Wide("secret"), &blob));
  utility::string_t token = Wide("unchanged");
  {
    ScopedStateDir other_machine;
    EXPECT_FALSE(UnprotectApiToken(blob, &token));
  }
  EXPECT_EQ(Wide("unchanged"), token);
}

}  // namespace
