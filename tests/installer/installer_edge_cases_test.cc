// The bootstrapper's runs at the edges that users meet: switch mixtures,
// cancelled and failed removals, and the supported and unsupported Windows
// versions.
#include <gtest/gtest.h>

#include "tests/installer/installer_test_support.h"

using platform::MessageKind;

namespace {

class InstallerEdgeCaseTest : public InstallerTest {};

TEST_F(InstallerEdgeCaseTest, PlainRunOn2012R2InstallsFromTheTempFolderAndDeletesThePackage) {
  fakes_.version.version = NtVersion(6, 3, platform::kProductTypeServer);
  std::vector<uint8_t> package_while_running;
  fakes_.launcher.while_running = [&](const std::string&) {
    package_while_running = fakes_.files.files[kTempPackagePath].bytes;
  };
  fakes_.launcher.outcomes = {{true, kMsiUserExit}};

  EXPECT_EQ(Run(""), 0);
  EXPECT_EQ(fakes_.launcher.commands, std::vector<std::string>{kInteractiveInstallCommand});
  EXPECT_EQ(package_while_running, FakePackageBytes());
  EXPECT_EQ(fakes_.files.deleted, std::vector<std::string>{kTempPackagePath});
  EXPECT_TRUE(fakes_.files.files.empty());
  ExpectNoBox();
}

TEST_F(InstallerEdgeCaseTest, SilentRunOnAWorkstationEndsWith30WithoutABox) {
  fakes_.version.version = NtVersion(6, 2, platform::kProductTypeWorkstation);
  EXPECT_EQ(Run("/s"), 30);
  ExpectNoBox();
  EXPECT_TRUE(fakes_.launcher.commands.empty());
  EXPECT_TRUE(fakes_.files.files.empty());
}

TEST_F(InstallerEdgeCaseTest, InteractiveRunOnAWorkstationShowsString112) {
  fakes_.version.version = NtVersion(6, 2, platform::kProductTypeWorkstation);
  EXPECT_EQ(Run(""), 30);
  const FakeBoxes::Shown box = OnlyBox();
  EXPECT_EQ(box.kind, MessageKind::kError);
  EXPECT_EQ(box.text, kUnsupportedWindowsText);
  EXPECT_EQ(box.caption, kInstallerCaption);
}

TEST_F(InstallerEdgeCaseTest, UninstallWhenNotInstalledRunsNothing) {
  fakes_.products.state = -1;
  EXPECT_EQ(Run("/x"), 0);
  EXPECT_EQ(fakes_.products.queried, std::vector<std::string>{kProductCode});
  EXPECT_TRUE(fakes_.launcher.commands.empty());
  ExpectNoBox();
}

TEST_F(InstallerEdgeCaseTest, SilentUninstallWhenInstalledPassesQuiet) {
  fakes_.products.state = platform::kProductStateInstalled;
  EXPECT_EQ(Run("/x /s"), 0);
  EXPECT_EQ(fakes_.launcher.commands, std::vector<std::string>{kSilentUninstallCommand});
  ExpectNoBox();
}

TEST_F(InstallerEdgeCaseTest, InteractiveUninstallPassesAnEmptyFirstArgument) {
  fakes_.products.state = platform::kProductStateInstalled;
  EXPECT_EQ(Run("-X"), 0);
  EXPECT_EQ(fakes_.launcher.commands, std::vector<std::string>{kInteractiveUninstallCommand});
}

TEST_F(InstallerEdgeCaseTest, RemoveFirstThatIsCancelledStopsBeforeInstallingSilently) {
  fakes_.products.state = platform::kProductStateInstalled;
  fakes_.launcher.outcomes = {{true, kMsiUserExit}};
  EXPECT_EQ(Run("/r /s"), 33);
  EXPECT_EQ(fakes_.launcher.commands, std::vector<std::string>{kSilentUninstallCommand});
  EXPECT_TRUE(fakes_.files.files.empty());
  EXPECT_TRUE(fakes_.files.deleted.empty());
  ExpectNoBox();
}

TEST_F(InstallerEdgeCaseTest, RemoveFirstThatIsCancelledEndsWith0Interactively) {
  fakes_.products.state = platform::kProductStateInstalled;
  fakes_.launcher.outcomes = {{true, kMsiUserExit}};
  EXPECT_EQ(Run("/r"), 0);
  EXPECT_EQ(fakes_.launcher.commands, std::vector<std::string>{kInteractiveUninstallCommand});
  ExpectNoBox();
}

TEST_F(InstallerEdgeCaseTest, RemoveFirstThenInstalls) {
  fakes_.products.state = platform::kProductStateInstalled;
  EXPECT_EQ(Run("/r /s"), 0);
  EXPECT_EQ(fakes_.launcher.commands,
            (std::vector<std::string>{kSilentUninstallCommand, kSilentInstallCommand}));
}

TEST_F(InstallerEdgeCaseTest, RemoveFirstWhenNotInstalledOnlyInstalls) {
  EXPECT_EQ(Run("-r"), 0);
  EXPECT_EQ(fakes_.launcher.commands, std::vector<std::string>{kInteractiveInstallCommand});
}

TEST_F(InstallerEdgeCaseTest, ExtractWithUninstallOnlyExtracts) {
  fakes_.products.state = platform::kProductStateInstalled;
  EXPECT_EQ(Run("/e /x"), 0);
  ASSERT_EQ(fakes_.files.files.count(kExtractedPackageFileName), 1u);
  EXPECT_EQ(fakes_.files.files[kExtractedPackageFileName].bytes, FakePackageBytes());
  EXPECT_TRUE(fakes_.launcher.commands.empty());
  EXPECT_TRUE(fakes_.products.queried.empty());
  ExpectNoBox();
}

TEST_F(InstallerEdgeCaseTest, ExtractionDoesNotCheckTheWindowsVersion) {
  fakes_.version.version = NtVersion(10, 0, platform::kProductTypeWorkstation);
  EXPECT_EQ(Run("-E"), 0);
  EXPECT_EQ(fakes_.files.files.count(kExtractedPackageFileName), 1u);
}

TEST_F(InstallerEdgeCaseTest, HelpWithAnyOtherSwitchOnlyShowsTheHelp) {
  for (const char* arguments : {"/? /x /s /r /e", "/e -?", "/s /h", "-h", "/help /x", "-HELP"}) {
    SCOPED_TRACE(arguments);
    fakes_ = FakeInstallerSystem();
    fakes_.products.state = platform::kProductStateInstalled;
    EXPECT_EQ(Run(arguments), 0);
    const FakeBoxes::Shown box = OnlyBox();
    EXPECT_EQ(box.kind, MessageKind::kInformation);
    EXPECT_EQ(box.text, InstallerHelpText());
    EXPECT_EQ(box.caption, kInstallerCaption);
    EXPECT_TRUE(fakes_.launcher.commands.empty());
    EXPECT_TRUE(fakes_.files.files.empty());
    EXPECT_TRUE(fakes_.products.queried.empty());
  }
}

TEST_F(InstallerEdgeCaseTest, AnArgumentContainingASwitchSetsIt) {
  fakes_.version.version = NtVersion(6, 1, platform::kProductTypeWorkstation);
  EXPECT_EQ(Run("/silent"), 30);
  ExpectNoBox();
}

TEST_F(InstallerEdgeCaseTest, Server2003GoesOnOnlyWhenTheUserAgrees) {
  fakes_.version.version = NtVersion(5, 2, platform::kProductTypeServer);
  fakes_.boxes.question_answer = platform::MessageAnswer::kYes;
  EXPECT_EQ(Run(""), 0);
  const FakeBoxes::Shown box = OnlyBox();
  EXPECT_EQ(box.kind, MessageKind::kQuestion);
  EXPECT_EQ(box.text, kServer2003Question);
  EXPECT_EQ(box.caption, kInstallerCaption);
  EXPECT_EQ(fakes_.launcher.commands, std::vector<std::string>{kInteractiveInstallCommand});
}

TEST_F(InstallerEdgeCaseTest, Server2003IsAskedAboutInSilentModeToo) {
  fakes_.version.version = NtVersion(5, 2, platform::kProductTypeDomainController);
  fakes_.boxes.question_answer = platform::MessageAnswer::kNo;
  EXPECT_EQ(Run("/s"), 31);
  EXPECT_EQ(OnlyBox().text, kServer2003Question);
  EXPECT_TRUE(fakes_.launcher.commands.empty());
}

TEST_F(InstallerEdgeCaseTest, ADeclinedServer2003InstallShowsNoResultBox) {
  fakes_.version.version = NtVersion(5, 2, platform::kProductTypeServer);
  fakes_.boxes.question_answer = platform::MessageAnswer::kNo;
  EXPECT_EQ(Run(""), 31);
  EXPECT_EQ(OnlyBox().kind, MessageKind::kQuestion);
}

TEST_F(InstallerEdgeCaseTest, AQuestionThatCannotBeShownCountsAsDeclined) {
  fakes_.version.version = NtVersion(5, 2, platform::kProductTypeServer);
  fakes_.boxes.question_answer = platform::MessageAnswer::kNone;
  EXPECT_EQ(Run("/s"), 31);
  EXPECT_TRUE(fakes_.launcher.commands.empty());
}

TEST_F(InstallerEdgeCaseTest, ThirtyTwoBitWindowsLacksItsPackage) {
  fakes_.wow64.wow64 = false;
  EXPECT_EQ(Run(""), 1);
  EXPECT_EQ(OnlyBox().text, kInstallFailedText);
  EXPECT_TRUE(fakes_.launcher.commands.empty());
}

}  // namespace
