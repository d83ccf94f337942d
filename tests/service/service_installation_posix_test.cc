// The POSIX service manager of the installer: unit files in the unit folder
// below the state folder.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "platform/service_installation.h"
#include "platform/service_unit_file.h"
#include "tests/support/scoped_state_dir.h"

using testing::ElementsAre;

namespace {

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

}  // namespace
