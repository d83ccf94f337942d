// The POSIX service facilities the host stands on: the unit file that is the
// service manager's record, the unit folder as the installer sees it, the
// VSS provider records in the registry, the type library keys and the quit
// requests of the message loop.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>
#include <atomic>
#include <chrono>
#include <sstream>
#include <thread>

#include "platform/memory_registry.h"
#include "platform/message_loop.h"
#include "platform/service_installation.h"
#include "platform/service_unit_file.h"
#include "platform/vss_provider_store.h"
#include "tests/service/registry_snapshot.h"
#include "tests/support/scoped_state_dir.h"

using testing::ElementsAre;
using testing::HasSubstr;

namespace {

platform::ServiceUnit SampleUnit() {
  platform::ServiceUnit unit;
  unit.definition.name = "KovaProvider";
  unit.definition.display_name = "Kova 100% (64-bit)";
  unit.definition.binary_path = "\"/opt/k$v\\a/KovaProvider\"";
  unit.definition.start_type = platform::ServiceStartType::kAutomatic;
  unit.definition.dependencies = {"VSS", "Other"};
  unit.description = "line one\nline two\n\n";
  return unit;
}

TEST(ServiceUnitFileTest, KeepsEverythingTheManagerRecordsThroughAWriteAndARead) {
  const platform::ServiceUnit unit = SampleUnit();
  const std::string text = platform::FormatServiceUnit(unit);
  EXPECT_THAT(text, HasSubstr("Description=Kova 100%% (64-bit)\n"));
  EXPECT_THAT(text, HasSubstr("ExecStart=\"/opt/k$$v\\\\a/KovaProvider\"\n"));
  EXPECT_THAT(text, HasSubstr("X-KovaDescription=line one\\nline two\\n\\n\n"));
  EXPECT_THAT(text, HasSubstr("Wants=VSS.service Other.service\nAfter=VSS.service Other.service\n"));
  EXPECT_THAT(text, HasSubstr("[Install]\nWantedBy=multi-user.target\n"));
  platform::ServiceUnit read;
  ASSERT_TRUE(platform::ParseServiceUnit(text, &read));
  EXPECT_EQ(unit.definition.name, read.definition.name);
  EXPECT_EQ(unit.definition.display_name, read.definition.display_name);
  EXPECT_EQ(unit.definition.binary_path, read.definition.binary_path);
  EXPECT_EQ(unit.definition.start_type, read.definition.start_type);
  EXPECT_EQ(unit.definition.dependencies, read.definition.dependencies);
  EXPECT_EQ(unit.description, read.description);
}

TEST(ServiceUnitFileTest, ADemandStartServiceHasNoInstallSection) {
  platform::ServiceUnit unit = SampleUnit();
  unit.definition.start_type = platform::ServiceStartType::kDemand;
  const std::string text = platform::FormatServiceUnit(unit);
  EXPECT_EQ(std::string::npos, text.find("[Install]"));
  platform::ServiceUnit read;
  ASSERT_TRUE(platform::ParseServiceUnit(text, &read));
  EXPECT_EQ(platform::ServiceStartType::kDemand, read.definition.start_type);
}

TEST(ServiceUnitFileTest, TextThatIsNoUnitOfOursIsRefused) {
  platform::ServiceUnit read;
  EXPECT_FALSE(platform::ParseServiceUnit("", &read));
  EXPECT_FALSE(platform::ParseServiceUnit("[Unit]\nDescription=x\n", &read));
  EXPECT_FALSE(platform::ParseServiceUnit("[Service]\nExecStart=/x\nno equals sign\n", &read));
  EXPECT_TRUE(platform::ParseServiceUnit("[Service]\n# note\nExecStart=/x\n", &read));
}

TEST(ServiceInstallationTest, TheUnitFolderUnderTheStateFolderHoldsTheServicesRecord) {
  ScopedStateDir state;
  platform::ServiceInstaller& installer = platform::SystemServiceInstaller();
  EXPECT_FALSE(installer.IsInstalled("KovaProvider"));
  auto database = installer.OpenDatabase();
  ASSERT_TRUE(database);
  platform::ServiceDefinition definition;
  definition.name = "KovaProvider";
  definition.display_name = "KovaProvider";
  definition.binary_path = "\"/x/KovaProvider\"";
  definition.dependencies = {"RPCSS"};
  ASSERT_TRUE(database->Create(definition));
  EXPECT_FALSE(database->Create(definition));  // it exists
  EXPECT_TRUE(installer.IsInstalled("KovaProvider"));

  auto service = database->Open("KovaProvider", platform::ServiceRights::kChangeConfiguration);
  ASSERT_TRUE(service);
  EXPECT_TRUE(service->SetDescription("about\nit"));
  EXPECT_TRUE(service->ChangeConfiguration(platform::ServiceStartType::kAutomatic, {"VSS"}, "Shown"));
  std::ifstream file(state.File("systemd/KovaProvider.service"));
  std::ostringstream text;
  text << file.rdbuf();
  platform::ServiceUnit unit;
  ASSERT_TRUE(platform::ParseServiceUnit(text.str(), &unit));
  EXPECT_EQ("Shown", unit.definition.display_name);
  EXPECT_EQ("\"/x/KovaProvider\"", unit.definition.binary_path);
  EXPECT_THAT(unit.definition.dependencies, ElementsAre("VSS"));
  EXPECT_EQ(platform::ServiceStartType::kAutomatic, unit.definition.start_type);
  EXPECT_EQ("about\nit", unit.description);

  // Outside the system's folder the service never runs.
  EXPECT_EQ(platform::ServiceStopResult::kNotActive, service->Stop());
  EXPECT_TRUE(service->WaitUntilStopped(0));
  EXPECT_TRUE(service->Delete());
  EXPECT_FALSE(installer.IsInstalled("KovaProvider"));
  EXPECT_FALSE(database->Open("KovaProvider", platform::ServiceRights::kStopAndDelete));
}

TEST(ServiceInstallationTest, AUnitFolderThatCannotBeMadeRefusesTheDatabase) {
  ScopedStateDir state;
  ScopedStateDir::Point(state.File("missing/parent"));
  EXPECT_FALSE(platform::SystemServiceInstaller().OpenDatabase());
}

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
