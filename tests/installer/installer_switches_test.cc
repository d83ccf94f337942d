// How the argument text sets the bootstrapper's options.
#include <gtest/gtest.h>

#include "installer/installer_options.h"

namespace {

TEST(InstallerSwitchesTest, NoArgumentsMeanAPlainInstall) {
  const InstallerOptions options = ParseInstallerSwitches("");
  EXPECT_EQ(options.mode, InstallerMode::kInstall);
  EXPECT_FALSE(options.silent);
  EXPECT_FALSE(options.remove_existing);
  EXPECT_FALSE(options.extract_only);
  EXPECT_FALSE(options.help);
}

TEST(InstallerSwitchesTest, EachSwitchInBothFormsAndBothCases) {
  for (const char* text : {"/x", "-x", "/X", "-X"}) {
    EXPECT_EQ(ParseInstallerSwitches(text).mode, InstallerMode::kUninstall) << text;
  }
  for (const char* text : {"/s", "-s", "/S", "-S"}) EXPECT_TRUE(ParseInstallerSwitches(text).silent);
  for (const char* text : {"/r", "-r", "/R", "-R"}) {
    EXPECT_TRUE(ParseInstallerSwitches(text).remove_existing) << text;
  }
  for (const char* text : {"/e", "-e", "/E", "-E"}) {
    EXPECT_TRUE(ParseInstallerSwitches(text).extract_only) << text;
  }
  for (const char* text : {"/?", "-?", "/h", "-h", "/H", "/help", "-help", "-HeLp"}) {
    EXPECT_TRUE(ParseInstallerSwitches(text).help) << text;
  }
}

TEST(InstallerSwitchesTest, EachSwitchSetsOnlyItsOwnOption) {
  const InstallerOptions silent = ParseInstallerSwitches("/s");
  EXPECT_EQ(silent.mode, InstallerMode::kInstall);
  EXPECT_FALSE(silent.remove_existing || silent.extract_only || silent.help);
  const InstallerOptions uninstall = ParseInstallerSwitches("-x");
  EXPECT_FALSE(uninstall.silent || uninstall.remove_existing || uninstall.extract_only ||
               uninstall.help);
}

TEST(InstallerSwitchesTest, SwitchesAreFoundAnywhereInTheText) {
  const InstallerOptions silent = ParseInstallerSwitches("/silent");
  EXPECT_TRUE(silent.silent);
  EXPECT_FALSE(silent.extract_only || silent.remove_existing || silent.help);
  EXPECT_TRUE(ParseInstallerSwitches("--extract").extract_only);
  EXPECT_TRUE(ParseInstallerSwitches("/Remove").remove_existing);
}

TEST(InstallerSwitchesTest, SeveralSwitchesInOneArgument) {
  const InstallerOptions options = ParseInstallerSwitches("\"C:/xs\" /r-s");
  EXPECT_EQ(options.mode, InstallerMode::kUninstall);
  EXPECT_TRUE(options.remove_existing);
  EXPECT_TRUE(options.silent);
  EXPECT_FALSE(options.extract_only);
}

TEST(InstallerSwitchesTest, LettersWithoutASlashOrHyphenAreNoSwitches) {
  const InstallerOptions options = ParseInstallerSwitches("x s r e h ? \\x \\s");
  EXPECT_EQ(options.mode, InstallerMode::kInstall);
  EXPECT_FALSE(options.silent || options.remove_existing || options.extract_only ||
               options.help);
}

}  // namespace
