// Machine data protection on any system: what is protected here unprotects
// here, and a blob that was altered or cut does not.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/data_protection.h"
#include "tests/platform/data_protection_blobs.h"
#include "tests/support/scoped_state_dir.h"
#include "tests/support/test_environment.h"

namespace platform {
namespace {

class DataProtectionTest : public testing::Test {
 protected:
  ScopedStateDir state_;
};

TEST_F(DataProtectionTest, RoundTripsDataOfAnySize) {
  for (size_t size : {0u, 1u, 15u, 16u, 17u, 1000u}) {
    std::vector<uint8_t> clear;
    ASSERT_TRUE(Unprotects(Protect(ClearBytes(size)), &clear)) << size;
    EXPECT_EQ(ClearBytes(size), clear);
  }
  EXPECT_NE(Protect(ClearBytes(8)), Protect(ClearBytes(8))) << "every blob is salted anew";
}

TEST_F(DataProtectionTest, AnyChangedByteIsRefused) {
  if (RunningUnderWine()) {
    GTEST_SKIP() << "Wine's CryptUnprotectData accepts a blob with byte 24 changed";
  }
  const std::vector<uint8_t> blob = Protect(ClearBytes(20));
  for (size_t i = 0; i < blob.size(); ++i) {
    for (uint8_t bit : {0x01, 0x80}) {
      std::vector<uint8_t> tampered = blob;
      tampered[i] ^= bit;
      EXPECT_FALSE(Unprotects(tampered)) << "byte " << i;
    }
  }
  EXPECT_TRUE(Unprotects(blob));
}

TEST_F(DataProtectionTest, CutOrExtendedBlobsAreRefused) {
  if (RunningUnderWine()) {
    GTEST_SKIP() << "Wine's CryptUnprotectData accepts a blob with a byte appended";
  }
  const std::vector<uint8_t> blob = Protect(ClearBytes(10));
  for (size_t size = 0; size < blob.size(); ++size) {
    EXPECT_FALSE(Unprotects(std::vector<uint8_t>(blob.begin(), blob.begin() + size))) << size;
  }
  std::vector<uint8_t> longer = blob;
  longer.push_back(0);
  EXPECT_FALSE(Unprotects(longer));
}

TEST(SecureZeroTest, ClearsTheBytes) {
  std::vector<uint8_t> secret = ClearBytes(64);
  SecureZero(secret.data(), secret.size());
  EXPECT_EQ(std::vector<uint8_t>(64, 0), secret);
  SecureZero(nullptr, 0);
}

}  // namespace
}  // namespace platform
