// Which Windows versions the bootstrapper accepts.
#include <gtest/gtest.h>

#include "installer/windows_version_check.h"
#include "tests/installer/installer_fakes.h"

namespace {

using platform::kProductTypeDomainController;
using platform::kProductTypeServer;
using platform::kProductTypeWorkstation;

WindowsVerdict Judge(unsigned long major, unsigned long minor, unsigned type) {
  return JudgeWindowsVersion(NtVersion(major, minor, type));
}

TEST(WindowsVersionCheckTest, Server2008To2012R2AreSupported) {
  for (unsigned long minor = 0; minor <= 3; ++minor) {
    EXPECT_EQ(Judge(6, minor, kProductTypeServer), WindowsVerdict::kSupported) << minor;
    EXPECT_EQ(Judge(6, minor, kProductTypeDomainController), WindowsVerdict::kSupported);
  }
}

TEST(WindowsVersionCheckTest, WorkstationsAreNotSupported) {
  for (unsigned long minor = 0; minor <= 3; ++minor) {
    EXPECT_EQ(Judge(6, minor, kProductTypeWorkstation), WindowsVerdict::kUnsupported) << minor;
  }
  EXPECT_EQ(Judge(5, 2, kProductTypeWorkstation), WindowsVerdict::kUnsupported);
}

TEST(WindowsVersionCheckTest, Server2003NeedsConsent) {
  EXPECT_EQ(Judge(5, 2, kProductTypeServer), WindowsVerdict::kAskServer2003);
}

TEST(WindowsVersionCheckTest, OtherVersionsAreNotSupported) {
  EXPECT_EQ(Judge(5, 0, kProductTypeServer), WindowsVerdict::kUnsupported);
  EXPECT_EQ(Judge(5, 1, kProductTypeServer), WindowsVerdict::kUnsupported);
  EXPECT_EQ(Judge(6, 4, kProductTypeServer), WindowsVerdict::kUnsupported);
  EXPECT_EQ(Judge(10, 0, kProductTypeServer), WindowsVerdict::kUnsupported);
  EXPECT_EQ(Judge(4, 0, kProductTypeServer), WindowsVerdict::kUnsupported);
}

TEST(WindowsVersionCheckTest, OnlyWindowsNtIsSupported) {
  platform::WindowsVersion version = NtVersion(6, 1, kProductTypeServer);
  version.nt_platform = false;
  EXPECT_EQ(JudgeWindowsVersion(version), WindowsVerdict::kUnsupported);
}

TEST(WindowsVersionCheckTest, AVersionWithoutProductTypeCountsAsAServer) {
  EXPECT_EQ(Judge(6, 1, 0), WindowsVerdict::kSupported);
}

}  // namespace
