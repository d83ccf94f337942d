// The facilities the service host shares with every platform: the VSS
// provider records in the registry and the quit requests of the message
// loop.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "platform/memory_registry.h"
#include "platform/message_loop.h"
#include "platform/vss_provider_store.h"
#include "tests/service/registry_snapshot.h"

namespace {

TEST(VssProviderStoreTest, RecordsAProviderOnceAndForgetsIt) {
  auto registry = platform::CreateMemoryRegistry();
  platform::VssProviderRegistration provider;
  provider.provider_id = {1, 2, 3, {4, 5, 6, 7, 8, 9, 10, 11}};
  provider.class_id = {0xA, 0xB, 0xC, {1, 1, 1, 1, 1, 1, 1, 1}};
  provider.name = "Name";
  provider.type = 3;
  provider.version = "1.0.3";
  provider.version_id = {7, 7, 7, {7, 7, 7, 7, 7, 7, 7, 7}};
  EXPECT_EQ(S_OK, platform::RecordVssProvider(*registry, provider));
  EXPECT_EQ(VSS_E_PROVIDER_ALREADY_REGISTERED, platform::RecordVssProvider(*registry, provider));
  const std::string key = platform::VssProviderKeyPath(provider.provider_id);
  EXPECT_EQ("SYSTEM\\CurrentControlSet\\Services\\VSS\\Providers\\{00000001-0002-0003-0405-060708090A0B}",
            key);
  EXPECT_EQ((RegistryTree{{key,
                           {{"", Sz("Name")},
                            {"Type", Dword(3)},
                            {"Version", Sz("1.0.3")},
                            {"VersionId", Sz("{00000007-0007-0007-0707-070707070707}")}}},
                          {key + "\\CLSID", {{"", Sz("{0000000A-000B-000C-0101-010101010101}")}}}}),
            SnapshotRegistry(*registry, platform::RegistryRoot::kLocalMachine, key));
  EXPECT_EQ(S_OK, platform::ForgetVssProvider(*registry, provider.provider_id));
  EXPECT_EQ(VSS_E_PROVIDER_NOT_REGISTERED, platform::ForgetVssProvider(*registry, provider.provider_id));
}

TEST(MessageLoopTest, AQuitPostedBeforeTheLoopRunsEndsItAtOnce) {
  platform::MessageLoop& loop = platform::SystemMessageLoop();
  std::thread worker([&] {
    const uint32_t id = loop.AttachCurrentThread();
    EXPECT_TRUE(loop.PostQuit(id));
    loop.RunUntilQuit();
  });
  worker.join();
}

TEST(MessageLoopTest, ANewQueueDropsAStaleQuitAndWaitsForOneFromAnotherThread) {
  platform::MessageLoop& loop = platform::SystemMessageLoop();
  std::atomic<uint32_t> id{0};
  std::atomic<bool> done{false};
  std::thread worker([&] {
    const uint32_t own = loop.AttachCurrentThread();
    loop.PostQuit(own);
    loop.AttachCurrentThread();  // the identifier's new queue starts empty
    id = own;
    loop.RunUntilQuit();
    done = true;
  });
  while (id == 0) std::this_thread::yield();
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  EXPECT_FALSE(done);
  EXPECT_TRUE(loop.PostQuit(id));
  worker.join();
  EXPECT_TRUE(done);
}

}  // namespace
