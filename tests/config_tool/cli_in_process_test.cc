// The front end run in process: the parts that need a fake service manager,
// a fake console or a failing store.
#include <gtest/gtest.h>

#include "OstaraRegTool/cli_commands.h"
#include "OstaraRegTool/cli_shared.h"
#include "OstaraRegTool/result_codes.h"
#include "OstaraRegTool/tool_startup.h"
#include "tests/config_tool/expected_banner.h"
#include "tests/config_tool/tool_test_fixture.h"
#include "tests/support/wide_text.h"

namespace {

const std::string kDisplay = "Kova Storage VSS Hardware Provider (64-bit)";
const std::string kRestartHelp =
    "usage: KovaProviderConfig restartprovider [-h] [--forcestop] \n"
    "Optional arguments:\n"
    "\t-h\t\tShow this help message and exit\n"
    "\t--forcestop\tForcefully terminate the KovaProvider service if it did not respond to the "
    "request to stop\n"
    "\n"
    "For example, KovaProviderConfig.exe restartprovider\n"
    "KovaProviderConfig.exe restartprovider --forcestop\n"
    "KovaProviderConfig.exe restartprovider -h\n";

class CliInProcessTest : public ToolTest {
 protected:
  std::string Run(std::initializer_list<std::string> words) {
    CommandArgs args = WideList({"KovaProviderConfig"});
    for (const std::string& word : words) args.push_back(Wide(word));
    RunCommandLine(args);
    return TakeOutput();
  }
};

TEST_F(CliInProcessTest, RestartProviderRestartsARunningService) {
  world_.stop_takes_ms = 2500;
  EXPECT_EQ("Successfully restarted '" + kDisplay + "'.\n", Run({"restartprovider"}));
  EXPECT_EQ(1, world_.stop_requests);
  EXPECT_EQ(1, world_.start_requests);
  EXPECT_EQ((std::vector<uint32_t>{1000, 1000, 1000}), world_.clock.sleeps);
}

TEST_F(CliInProcessTest, RestartProviderForceStopsOnlyWhenAsked) {
  world_.ignore_stop = true;
  EXPECT_EQ("Failed to restart '" + kDisplay + "'.\n", Run({"restartprovider"}));
  EXPECT_TRUE(world_.terminated_names.empty());
  EXPECT_EQ("Successfully restarted '" + kDisplay + "'.\n",
            Run({"restartprovider", "--forcestop"}));
  EXPECT_EQ(1u, world_.terminated_names.size());
}

TEST_F(CliInProcessTest, RestartProviderReportsAStoppedOrUnreachableService) {
  world_.state = platform::ServiceState::kStopped;
  EXPECT_EQ("'" + kDisplay + "' is not running.\n", Run({"restartprovider", "--forcestop"}));
  world_.manager_reachable = false;
  EXPECT_EQ("Cannot determine the status of '" + kDisplay + "'\n", Run({"restartprovider"}));
  EXPECT_EQ(0, world_.stop_requests);
}

TEST_F(CliInProcessTest, RestartProviderHelpAndFormatErrors) {
  EXPECT_EQ(kRestartHelp, Run({"restartprovider", "-h"}));
  EXPECT_EQ(kRestartHelp, Run({"restartprovider", "--help"}));
  EXPECT_EQ("Invalid Format\n" + kRestartHelp, Run({"restartprovider", "--force"}));
  EXPECT_EQ("Invalid Format\n" + kRestartHelp, Run({"restartprovider", "--forcestop", "now"}));
  EXPECT_EQ(0, world_.stop_requests);
}

TEST_F(CliInProcessTest, TheRestartHintOffersTheRestartOnlyWhenTheServiceRuns) {
  const std::string effect =
      "\nThe new change(s) will take effect the next time '" + kDisplay + "' starts.";
  PrintRestartHint();
  EXPECT_EQ(effect + "\nTo restart '" + kDisplay +
                "' now, run 'KovaProviderConfig restartprovider'.\n\n",
            TakeOutput());
  world_.state = platform::ServiceState::kStopped;
  PrintRestartHint();
  EXPECT_EQ(effect + "\n\n", TakeOutput());
}

TEST_F(CliInProcessTest, ThePasswordIsReadHiddenWithBackspaceAndEitherLineEnd) {
  TypeKeys({"p", "w", "x", "\b", "\xC3\xA9", "\x7f", "\x7f", "\x7f", "\x7f", "o", "k", "\r", "z"});
  EXPECT_EQ("ok", Narrow(GetPassword()));
  EXPECT_EQ("Enter user password: \n***\b \b*\b \b\b \b\b \b**\n", TakeOutput());

  TypeKeys({"a", "\xE2\x82\xAC", "\n", "b"});
  EXPECT_EQ("a\xE2\x82\xAC", Narrow(GetPassword())) << "a line feed ends the entry too";
  TypeKeys({"a", "b"});
  EXPECT_EQ("ab", Narrow(GetPassword())) << "the end of input ends it";
  EXPECT_TRUE(log_.LinesContaining("ok").empty());
  EXPECT_EQ(3u, log_.LinesContaining("Password Entered: hidden, Exiting: GetPassword()").size());
}

TEST_F(CliInProcessTest, WithoutConsoleInputThePasswordIsEmpty) {
  EXPECT_EQ("", Narrow(GetPassword()));
  EXPECT_EQ("Enter user password: \n", TakeOutput());
}

TEST_F(CliInProcessTest, AnyStoredLevelHasALevelName) {
  PutString(kova::kProviderRootKey, "Logging", "Enabled");
  for (const auto& [level, name] : std::vector<std::pair<std::string, std::string>>{
           {"-1", "[TRACE]"}, {"-5", "[ERROR]"}, {"8", "[DEBUG]"}, {"x", "[ERROR]"},
           {"-2147483648", "[INFO]"}}) {
    PutString(kova::kProviderRootKey, "LogLevel", level);
    EXPECT_EQ("\nLog: Enabled\nLog Level: " + level + name + "\n", Run({"log", "--status"}));
  }
}

TEST_F(CliInProcessTest, ANonAdministratorGetsCode18AndTheStoreIsUntouched) {
  administrator_ = false;
  EXPECT_EQ(18, RunKovaProviderConfig(WideList({"KovaProviderConfig", "list"})));
  EXPECT_EQ(ExpectedBanner() + "You must run this application as Administrator\n", TakeOutput());
  EXPECT_EQ(nullptr, Key("SOFTWARE"));
}

TEST_F(CliInProcessTest, AStoreThatCannotTakeTheDefaultsEndsTheStart) {
  registry_->fail_open.insert(kova::kProviderRootKey);
  registry_->fail_create.insert(kova::kProviderRootKey);
  EXPECT_EQ(19, RunKovaProviderConfig(WideList({"/opt/kova/KovaProviderConfig.exe", "list"})));
  EXPECT_EQ(ExpectedBanner() +
                "\nError: Registry Configuration failed\n\nContact Kova Storage Support\n",
            TakeOutput());
}

TEST_F(CliInProcessTest, AFailedDefaultWriteEndsTheStartWithItsCode) {
  registry_->fail_set_value.insert("Logging");
  EXPECT_EQ(6, RunKovaProviderConfig(WideList({"KovaProviderConfig"})));
  EXPECT_EQ(ExpectedBanner() +
                "\nError: Could not update Value in the registry\n\nContact Kova Storage Support\n",
            TakeOutput());
}

TEST_F(CliInProcessTest, AnUnreadableLoggingValueEndsTheStartWithCode4) {
  PutString(kova::kProviderRootKey, "Logging", std::string(600, 'E'));
  EXPECT_EQ(4, RunKovaProviderConfig(WideList({"KovaProviderConfig"})));
  EXPECT_EQ(ExpectedBanner() + "Supported REST version is 1.1\n\n"
                "\nError: Value does not exists in the registry\n\nContact Kova Storage Support\n",
            TakeOutput());
}

}  // namespace
