// KovaVssShadow as the VSS coordinator's stand-in, over a fake COM: which
// class it serves, and when it ends.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <sstream>

#include "platform/message_loop.h"
#include "platform/vss_coordinator.h"
#include "tests/service/service_host_fakes.h"
#include "tools/KovaVssShadow/coordinator_stand_in.h"
#include "tools/KovaVssShadow/provider_reach.h"

using testing::ElementsAre;
using testing::HasSubstr;

namespace {

class CoordinatorStandInTest : public testing::Test {
 protected:
  std::future<int> Serve(std::chrono::milliseconds idle_limit = std::chrono::milliseconds(30000)) {
    return std::async(std::launch::async, [this, idle_limit] {
      return ServeVssCoordinatorStandIn(com_, platform::SystemMessageLoop(), err_, idle_limit);
    });
  }
  static bool EndsSoon(std::future<int>& served) {
    return served.wait_for(std::chrono::seconds(10)) == std::future_status::ready;
  }

  FakeComRuntime com_;
  std::ostringstream err_;
};

TEST_F(CoordinatorStandInTest, ServesTheCoordinatorsClassUntilTheLastServerLockIsGone) {
  std::future<int> served = Serve();
  ASSERT_TRUE(com_.WaitForResumed());
  EXPECT_TRUE(com_.registered.at(0) == platform::kVssCoordinatorClassId);
  EXPECT_THAT(com_.apartments, ElementsAre(true));
  com_.LockServer(true);
  com_.LockServer(true);
  com_.LockServer(false);
  EXPECT_EQ(std::future_status::timeout, served.wait_for(std::chrono::milliseconds(300)));
  com_.LockServer(false);
  ASSERT_TRUE(EndsSoon(served));
  EXPECT_EQ(0, served.get());
  EXPECT_EQ(1, com_.revoked);
  EXPECT_EQ(1, com_.uninitialized);
  EXPECT_EQ(0u, com_.server_count);
}

#ifndef _WIN32
TEST_F(CoordinatorStandInTest, WithoutCOMAnObjectIsRefusedAndLeavesNoCountBehind) {
  std::future<int> served = Serve();
  ASSERT_TRUE(com_.WaitForResumed());
  void* object = &com_;
  EXPECT_EQ(platform::kComServerNotAvailable, com_.CreateInstance(platform::kIVssAdmin, &object));
  EXPECT_EQ(nullptr, object);
  // Nothing holds the server any more: it ends.
  ASSERT_TRUE(EndsSoon(served));
  EXPECT_EQ(0, served.get());
  EXPECT_EQ(0u, com_.server_count);
}

TEST_F(CoordinatorStandInTest, ThroughCOMTheProviderCannotBeReachedWithoutCOM) {
  void* object = &com_;
  EXPECT_EQ(platform::kComServerNotAvailable,
            LocalServerProviderFactory()(IID_IVssHardwareSnapshotProviderEx, &object));
  EXPECT_EQ(nullptr, object);
}
#endif

TEST_F(CoordinatorStandInTest, EndsWhenNobodyAsksWithinTheIdleLimit) {
  std::future<int> served = Serve(std::chrono::milliseconds(200));
  ASSERT_TRUE(EndsSoon(served));
  EXPECT_EQ(0, served.get());
  EXPECT_EQ(1, com_.revoked);
}

TEST_F(CoordinatorStandInTest, AClassObjectThatCannotBeRegisteredEndsWithItsFailure) {
  com_.register_result = static_cast<HRESULT>(0x80004005);
  std::future<int> served = Serve();
  ASSERT_TRUE(EndsSoon(served));
  EXPECT_EQ(1, served.get());
  EXPECT_THAT(err_.str(), HasSubstr("cannot be served: 0x80004005"));
  EXPECT_EQ(1, com_.uninitialized);
}

TEST_F(CoordinatorStandInTest, AnApartmentThatCannotBeMadeEndsAtOnce) {
  com_.apartment_result = static_cast<HRESULT>(0x80010106);
  std::future<int> served = Serve();
  ASSERT_TRUE(EndsSoon(served));
  EXPECT_EQ(1, served.get());
  EXPECT_THAT(err_.str(), HasSubstr("CoInitializeEx failed: 0x80010106"));
  EXPECT_TRUE(com_.registered.empty());
}

TEST(ComActivationTest, IsTheOneWordEmbeddingAfterAHyphenOrSlashInAnyCase) {
  EXPECT_TRUE(IsComActivation({"-Embedding"}));
  EXPECT_TRUE(IsComActivation({"/embedding"}));
  EXPECT_TRUE(IsComActivation({"-EMBEDDING"}));
  EXPECT_FALSE(IsComActivation({"Embedding"}));
  EXPECT_FALSE(IsComActivation({"-EmbeddingX"}));
  EXPECT_FALSE(IsComActivation({"-Embedding", "create"}));
  EXPECT_FALSE(IsComActivation({}));
  EXPECT_FALSE(IsComActivation({""}));
}

TEST(ThroughComOptionTest, OnlyALeadingComOptionIsTaken) {
  std::vector<std::string> args = {"--com", "create", "@luns.json"};
  EXPECT_TRUE(TakeThroughComOption(&args));
  EXPECT_THAT(args, ElementsAre("create", "@luns.json"));
  EXPECT_FALSE(TakeThroughComOption(&args));
  args = {"create", "--com"};
  EXPECT_FALSE(TakeThroughComOption(&args));
  EXPECT_THAT(args, ElementsAre("create", "--com"));
}

}  // namespace
