// Who the calling client is: the process itself, or the identity a server
// thread set for the request it serves.
#include <gtest/gtest.h>

#include <thread>

#include "platform/caller_identity.h"

namespace {

TEST(CallerIdentityTest, ScopesNestAndRestoreThePreviousCaller) {
  uint32_t user_id = 7;
  EXPECT_FALSE(platform::ScopedCallerUserId(&user_id));
  {
    platform::ScopedCallerIdentity user(1000);
    EXPECT_EQ(E_ACCESSDENIED, platform::CheckCallerIsAdministrator());
    {
      platform::ScopedCallerIdentity root(0);
      EXPECT_EQ(S_OK, platform::CheckCallerIsAdministrator());
      ASSERT_TRUE(platform::ScopedCallerUserId(&user_id));
      EXPECT_EQ(0u, user_id);
    }
    ASSERT_TRUE(platform::ScopedCallerUserId(&user_id));
    EXPECT_EQ(1000u, user_id);
    EXPECT_EQ(E_ACCESSDENIED, platform::CheckCallerIsAdministrator());
  }
  EXPECT_FALSE(platform::ScopedCallerUserId(nullptr));
}

TEST(CallerIdentityTest, TheCallerBelongsToOneThreadOnly) {
  platform::ScopedCallerIdentity user(1000);
  bool other_has_caller = true;
  std::thread other([&] { other_has_caller = platform::ScopedCallerUserId(nullptr); });
  other.join();
  EXPECT_FALSE(other_has_caller);
  EXPECT_EQ(E_ACCESSDENIED, platform::CheckCallerIsAdministrator());
}

}  // namespace
