// The texts that the bootstrapper's boxes must show, as its users read them,
// and a fixture that runs it on fakes.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "installer/installer_result.h"
#include "installer/installer_texts.h"
#include "installer/kova_vss_installer.h"
#include "tests/installer/installer_fakes.h"

inline constexpr char kInstallerCaption[] = "Kova Storage VSS Hardware Provider Installer";
inline constexpr char kUninstallerCaption[] = "Kova Storage VSS Hardware Provider Uninstaller";
inline constexpr char kInstallFailedText[] =
    "An error occurred that prevented this installer from installing the provider. Please try "
    "again later";
inline constexpr char kUninstallFailedText[] =
    "An error occurred while trying to uninstall Kova Storage VSS Hardware Provider. Please try "
    "again later.";
inline constexpr char kUnsupportedWindowsText[] =
    "This version of Windows is not supported. Please install on one of the following supported "
    "platforms: Windows 2008 R2, Windows 2012 or Windows 2012 R2";
inline constexpr char kServer2003Question[] =
    "Installing on Windows 2003 or Windows 2003 R2 is not supported and you may encounter some "
    "errors or failures. This product has been tested and verified on Windows 2008 R2, Windows "
    "2012 and Windows 2012 R2. Do you wish to continue anyway?";

inline constexpr char kTempPackagePath[] = "C:\\Temp\\KovaVss.msi";
inline constexpr char kInteractiveInstallCommand[] =
    "msiexec.exe /l*v KovaVssProviderInstaller.log  /i C:\\Temp\\KovaVss.msi";
inline constexpr char kSilentInstallCommand[] =
    "msiexec.exe /l*v KovaVssProviderInstaller.log /quiet /i C:\\Temp\\KovaVss.msi";
inline constexpr char kInteractiveUninstallCommand[] =
    "msiexec.exe  /l*v KovaVssProviderUninstaller.log /X {C8F3FFE1-E58E-4C47-937A-DF8CEAA7A09C}";
inline constexpr char kSilentUninstallCommand[] =
    "msiexec.exe /quiet /l*v KovaVssProviderUninstaller.log /X "
    "{C8F3FFE1-E58E-4C47-937A-DF8CEAA7A09C}";

class InstallerTest : public testing::Test {
 protected:
  int Run(const std::string& arguments) {
    KovaVssInstaller installer(fakes_.facilities());
    return installer.Run(arguments);
  }
  // The one box shown; fails the test when there was not exactly one.
  FakeBoxes::Shown OnlyBox() const {
    EXPECT_EQ(fakes_.boxes.shown.size(), 1u);
    return fakes_.boxes.shown.empty() ? FakeBoxes::Shown{} : fakes_.boxes.shown.front();
  }
  void ExpectNoBox() const { EXPECT_TRUE(fakes_.boxes.shown.empty()); }

  FakeInstallerSystem fakes_;
};
