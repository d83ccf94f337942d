// "/UnregServer": what it removes (class, type library, AppID value,
// service, VSS provider), what it keeps (the AppID key, the event source),
// and what a failing step leaves in place.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tests/service/service_host_fixture.h"

using testing::IsEmpty;

namespace {

class RemovalTest : public ServiceHostTest {
 protected:
  void SetUp() override { ASSERT_EQ(0, RunEntry("/Service")); }
};

TEST_F(RemovalTest, RemovesWhatRegistrationWroteAndKeepsTheEventSource) {
  EXPECT_EQ(0, RunEntry("/UnregServer"));

  EXPECT_EQ((RegistryTree{{"CLSID", {}}}), Classes("CLSID"));
  EXPECT_EQ((RegistryTree{{"TypeLib", {}}}), Classes("TypeLib"));
  EXPECT_EQ((RegistryTree{{"Interface", {}}}), Classes("Interface"));
  EXPECT_EQ((RegistryTree{{"AppID", {}}, {kAppIdKey, {}}}), Classes("AppID"));
  EXPECT_THAT(services_.services, IsEmpty());
  EXPECT_THAT(Machine(kVssProviderPath), IsEmpty());
  EXPECT_EQ(ExpectedEventSource(), Machine(kEventSourcePath));
  EXPECT_EQ(1u, LogCount("EXITING: UnregisterKovaProvider() - HR=00000000."));
}

TEST_F(RemovalTest, WhenTheClassRemovalFailsTheServiceAppIdAndVssRegistrationStay) {
  registry_->fail_delete.insert(kClsidKey);
  EXPECT_EQ(static_cast<HRESULT>(0x80070005), RunEntry("-unregserver"));
  ExpectRegistered();
  EXPECT_EQ(1u, services_.services.count("KovaProvider"));
  EXPECT_EQ(0u, LogCount("UnregisterKovaProvider"));
}

TEST_F(RemovalTest, AServiceThatCannotBeDeletedEndsTheRemovalWithEFail) {
  services_.refuse_delete = true;
  EXPECT_EQ(static_cast<HRESULT>(0x80004005), RunEntry("/UnregServer"));
  EXPECT_THAT(Classes(kClsidKey), IsEmpty());
  EXPECT_EQ((RegistryTree{{kAppIdKey, {{"LocalService", Sz("KovaProvider")}}}}), Classes(kAppIdKey));
  EXPECT_EQ(ExpectedVssRecord(), Machine(kVssProviderPath));
  EXPECT_EQ(1u, services_.services.count("KovaProvider"));
}

TEST_F(RemovalTest, AnUnreachableCoordinatorIsOnlyLogged) {
  UnreachableVssCoordinator unreachable(static_cast<HRESULT>(0x80040154));
  vss_ = &unreachable;
  EXPECT_EQ(0, RunEntry("/UnregServer"));
  EXPECT_EQ(1u, LogCount("EXITING: UnregisterKovaProvider() - HR=80040154."));
  EXPECT_EQ(ExpectedVssRecord(), Machine(kVssProviderPath));
}

TEST_F(RemovalTest, RemovingTwiceFindsNothingLeftAndSucceeds) {
  ASSERT_EQ(0, RunEntry("/UnregServer"));
  EXPECT_EQ(0, RunEntry("/UnregServer"));
  EXPECT_EQ(1u, LogCount("EXITING: UnregisterKovaProvider() - HR=80042304."));
}

TEST_F(RemovalTest, TheFirstSwitchCountsSoALaterOneIsIgnored) {
  EXPECT_EQ(0, RunEntry("/UnregServer /Service"));
  EXPECT_THAT(services_.services, IsEmpty());
  EXPECT_THAT(Classes(kClsidKey), IsEmpty());
}

}  // namespace
