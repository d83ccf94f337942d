// The bootstrapper's fixed texts: its Windows Installer command lines, its
// help and the string table in its resource script.
#include <gtest/gtest.h>

#include "installer/installer_texts.h"
#include "tests/installer/installer_test_support.h"
#include "tests/installer/rc_string_table.h"

namespace {

TEST(InstallerCommandTest, InstallCommandsCarryTheLogThePackageAndQuietWhenSilent) {
  EXPECT_EQ(InstallCommand(false, "C:\\Temp\\KovaVss.msi"), kInteractiveInstallCommand);
  EXPECT_EQ(InstallCommand(true, "C:\\Temp\\KovaVss.msi"), kSilentInstallCommand);
}

TEST(InstallerCommandTest, UninstallCommandsNameTheProductCode) {
  EXPECT_EQ(UninstallCommand(false), kInteractiveUninstallCommand);
  EXPECT_EQ(UninstallCommand(true), kSilentUninstallCommand);
}

TEST(InstallerCommandTest, OnlyAPathWithBlanksIsQuoted) {
  EXPECT_EQ(InstallCommand(true, "C:\\My Temp\\KovaVss.msi"),
            "msiexec.exe /l*v KovaVssProviderInstaller.log /quiet /i \"C:\\My Temp\\KovaVss.msi\"");
  EXPECT_EQ(InstallCommand(true, "C:\\Tab\there.msi"),
            "msiexec.exe /l*v KovaVssProviderInstaller.log /quiet /i \"C:\\Tab\there.msi\"");
}

TEST(InstallerHelpTest, HelpNamesTheVersionBuildAndEverySwitch) {
  const std::string help = InstallerHelpText();
  const std::string first_line =
      "Kova Storage VSS Hardware Provider Installer version 1.0.3.717.2016-04-14_16-23-12 "
      "(32-bit Release)\n";
  EXPECT_EQ(help.substr(0, first_line.size()), first_line);
  const std::string switches =
      "\n\nPlease use one ore more of the following arguments:\n\n/x:\tUninstall\n/s:\tSilent "
      "(No GUI)\n/r:\tRemove existing install if found\n/e:\tExtract MSI\n/?:\tShow this help\n";
  ASSERT_GT(help.size(), first_line.size() + switches.size());
  EXPECT_EQ(help.substr(help.size() - switches.size()), switches);
  // One notice line between them.
  const std::string notice =
      help.substr(first_line.size(), help.size() - first_line.size() - switches.size());
  EXPECT_FALSE(notice.empty());
  EXPECT_EQ(notice.find('\n'), std::string::npos);
}

TEST(InstallerStringTableTest, TheResourceScriptHoldsStrings104To115) {
  const std::map<unsigned, std::string> table = ReadRcStringTable(KOVA_INSTALLER_RC);
  const std::map<unsigned, std::string> expected = {
      {104, kInstallerCaption},
      {105, kUninstallerCaption},
      {106, "Another version of this installer is already running!"},
      {107, kInstallFailedText},
      {108, kUninstallFailedText},
      {109, "KOVAVSSPROVIDERINSTALLER"},
      {110,
       "Kova Storage VSS Hardware Provider is already installed. For more information use /? "
       "argument."},
      {111, " 32-bit Provider on 64-bit Windows is not supported!"},
      {112, kUnsupportedWindowsText},
      {113, kServer2003Question},
      {114,
       "You already have this product installed. You can only remove or repair existing "
       "installation. Do you want to continue?"},
      {115,
       "You already have a previous version of this product installed. You need to remove "
       "previous installation first. Do you want to continue?"},
  };
  EXPECT_EQ(table, expected);
}

}  // namespace
