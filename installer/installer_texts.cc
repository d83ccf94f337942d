#include "installer/installer_texts.h"

namespace {

constexpr char kQuietSwitch[] = "/quiet";
constexpr char kBuildText[] = ".717.2016-04-14_16-23-12 (32-bit Release)";
constexpr char kNoticeLine[] = "Copyright (c) 2016 Kova Storage. All rights reserved.";

std::string QuietArgument(bool silent) { return silent ? kQuietSwitch : ""; }

std::string CommandLinePath(const std::string& path) {
  if (path.find_first_of(" \t") == std::string::npos) return path;
  return "\"" + path + "\"";
}

}  // namespace

std::string InstallCommand(bool silent, const std::string& package_path) {
  return "msiexec.exe /l*v KovaVssProviderInstaller.log " + QuietArgument(silent) + " /i " +
         CommandLinePath(package_path);
}

std::string UninstallCommand(bool silent) {
  return "msiexec.exe " + QuietArgument(silent) + " /l*v KovaVssProviderUninstaller.log /X " +
         kProductCode;
}

std::string InstallerHelpText() {
  return std::string("Kova Storage VSS Hardware Provider Installer version 1.0.3") + kBuildText +
         "\n" + kNoticeLine + "\n" +
         "\nPlease use one ore more of the following arguments:\n\n/x:\tUninstall\n"
         "/s:\tSilent (No GUI)\n/r:\tRemove existing install if found\n/e:\tExtract MSI\n"
         "/?:\tShow this help\n";
}
