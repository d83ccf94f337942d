// KovaProvider run as an installer runs it on Linux: its own state folder
// with the registry hive and the systemd unit folder, message boxes as lines
// on standard error, and exit codes as the process status (the low byte of
// the program's code).
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/registry_hive.h"
#include "platform/service_unit_file.h"
#include "tests/service/registry_snapshot.h"
#include "tests/support/program_run.h"
#include "tests/support/scoped_state_dir.h"

using testing::HasSubstr;
using testing::IsEmpty;

namespace {

constexpr char kClsid[] = "CLSID\\{484E0F8A-B54C-45C6-ACAF-BE682A421F25}";
constexpr char kAppId[] = "AppID\\{63F0BFC9-5C8A-4CC1-BBD9-B51EEC70FC8F}";

class ProviderProgramTest : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    // The systemd dispatcher must not think it was started for a unit.
    unsetenv("INVOCATION_ID");
  }
  ProgramRun Run(const std::vector<std::string>& args) {
    ProgramRunOptions options;
    options.state_dir = state_.str();
    return RunProgram(KOVA_PROVIDER_PATH, args, options);
  }
  RegistryTree Hive(platform::RegistryRoot root, const std::string& path) {
    platform::HiveOptions options;
    options.path = state_.File("registry.db");
    auto hive = platform::OpenRegistryHive(options);
    return SnapshotRegistry(*hive, root, path);
  }
  std::string UnitFile() {
    std::ifstream file(state_.File("systemd/KovaProvider.service"));
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
  }
  std::string Log() {
    std::ifstream file(state_.File("KovaStorage/KovaVSSHardwareProvider.log"));
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
  }
  static std::string ProgramPath() {
    return std::filesystem::canonical(KOVA_PROVIDER_PATH).string();
  }

  ScopedStateDir state_;
};

TEST_F(ProviderProgramTest, RegistersIntoTheHiveAndWritesTheUnitFile) {
  const ProgramRun run = Run({"/Service"});
  EXPECT_EQ(0, run.exit_code) << run.err;
  EXPECT_EQ("", run.err);

  const std::string path = ProgramPath();
  const RegistryTree classes = Hive(platform::RegistryRoot::kClassesRoot, kClsid);
  EXPECT_EQ(Sz("\"" + path + "\""), classes.at(std::string(kClsid) + "\\LocalServer32").at(""));
  EXPECT_EQ(Sz(path), classes.at(std::string(kClsid) + "\\LocalServer32").at("ServerExecutable"));
  EXPECT_EQ(Sz("KovaProvider"),
            Hive(platform::RegistryRoot::kClassesRoot, kAppId).at(kAppId).at("LocalService"));
  const std::string events =
      "SYSTEM\\CurrentControlSet\\Services\\EventLog\\Application\\KovaProvider";
  EXPECT_EQ(ExpandSz(std::filesystem::path(path).parent_path().string() + "/ProviderEvents.dll"),
            Hive(platform::RegistryRoot::kLocalMachine, events).at(events).at("EventMessageFile"));

  platform::ServiceUnit unit;
  ASSERT_TRUE(platform::ParseServiceUnit(UnitFile(), &unit));
  EXPECT_EQ("KovaProvider", unit.definition.name);
  EXPECT_EQ("Kova Storage VSS Hardware Provider (64-bit)", unit.definition.display_name);
  EXPECT_EQ("\"" + path + "\"", unit.definition.binary_path);
  EXPECT_EQ(platform::ServiceStartType::kAutomatic, unit.definition.start_type);
  EXPECT_EQ(std::vector<std::string>{"VSS"}, unit.definition.dependencies);
  EXPECT_THAT(unit.description, HasSubstr("version 1.0.3.717.2016-04-14_16-23-12 (64-bit Release)\n"));
}

TEST_F(ProviderProgramTest, ASecondRegistrationReplacesTheServiceAndLogsTheVssCode) {
  ASSERT_EQ(0, Run({"/Service"}).exit_code);
  const ProgramRun again = Run({"-SERVICE"});
  EXPECT_EQ(0, again.exit_code) << again.err;
  EXPECT_THAT(Log(), HasSubstr("KOVASTORAGE INFORM: Registration return code: 80042303"));
}

TEST_F(ProviderProgramTest, StartedFromAConsoleTheServiceEndsWithTheDispatchersError) {
  ASSERT_EQ(0, Run({"/Service"}).exit_code);
  // 1063 (ERROR_FAILED_SERVICE_CONTROLLER_CONNECT); its low byte is the status.
  EXPECT_EQ(1063 & 0xFF, Run({}).exit_code);
  EXPECT_EQ(1063 & 0xFF, Run({"/RegServer"}).exit_code);
  EXPECT_EQ(1063 & 0xFF, Run({"/ServiceX"}).exit_code);
}

TEST_F(ProviderProgramTest, WithoutRegistrationTheMissingAppIdIsTheExitCode) {
  EXPECT_EQ(2, Run({"/ServiceX"}).exit_code);
}

TEST_F(ProviderProgramTest, AsALocalServerItSaysThatCOMCannotServeHere) {
  ASSERT_EQ(0, Run({"/Service"}).exit_code);
  // Without the service name in the AppID the program is a plain local server.
  {
    platform::HiveOptions options;
    options.path = state_.File("registry.db");
    auto hive = platform::OpenRegistryHive(options);
    std::unique_ptr<platform::RegistryKey> key;
    ASSERT_EQ(platform::RegistryStatus::kOk,
              hive->OpenKey(platform::RegistryRoot::kClassesRoot, kAppId, &key));
    ASSERT_EQ(platform::RegistryStatus::kOk, key->DeleteValue("LocalService"));
  }
  const ProgramRun run = Run({});
  EXPECT_EQ(0x32, run.exit_code);  // 0x80070032
  EXPECT_THAT(run.out, HasSubstr("cannot be served to other processes on this platform"));
}

TEST_F(ProviderProgramTest, RemovalDeletesTheUnitFileAndKeepsTheEventSource) {
  ASSERT_EQ(0, Run({"/Service"}).exit_code);
  EXPECT_EQ(0, Run({"/UnregServer"}).exit_code);
  EXPECT_FALSE(std::filesystem::exists(state_.File("systemd/KovaProvider.service")));
  EXPECT_THAT(Hive(platform::RegistryRoot::kClassesRoot, kClsid), IsEmpty());
  EXPECT_EQ((RegistryTree{{kAppId, {}}}), Hive(platform::RegistryRoot::kClassesRoot, kAppId));
  EXPECT_EQ(1u, Hive(platform::RegistryRoot::kLocalMachine,
                     "SYSTEM\\CurrentControlSet\\Services\\EventLog\\Application\\KovaProvider")
                    .size());
}

TEST_F(ProviderProgramTest, MessageBoxesAreLinesOnStandardError) {
  // A file where the unit folder belongs: the manager cannot be opened.
  std::ofstream(state_.File("systemd")) << "not a folder";
  const ProgramRun run = Run({"/Service"});
  EXPECT_EQ(0x05, run.exit_code);  // E_FAIL
  EXPECT_EQ("KovaProvider: Could not open Service Manager\n", run.err);
}

}  // namespace
