// The bootstrapper's fixed texts and identifiers: the product it installs,
// the package resource and files, the Windows Installer command lines, the
// help text and the identifiers of its string table.
#pragma once

#include <string>

inline constexpr char kProductCode[] = "{C8F3FFE1-E58E-4C47-937A-DF8CEAA7A09C}";

inline constexpr char kPackageResourceType[] = "PART";
inline constexpr char kPackageResource64[] = "KOVA64.MSI";  // the one this build carries
inline constexpr char kPackageResource32[] = "KOVA32.MSI";

inline constexpr char kTempPackageFileName[] = "KovaVss.msi";
// Written into the current folder by /e.
inline constexpr char kExtractedPackageFileName[] = "KovaVSS.msi";

// Shown in place of a string that cannot be loaded.
inline constexpr char kFallbackMessageText[] =
    "An error occurred while performing this operation. Please try again later";

// String table. The program shows 104, 105, 107, 108, 112 and 113.
inline constexpr unsigned kStringInstallerCaption = 104;
inline constexpr unsigned kStringUninstallerCaption = 105;
inline constexpr unsigned kStringAlreadyRunning = 106;
inline constexpr unsigned kStringInstallFailed = 107;
inline constexpr unsigned kStringUninstallFailed = 108;
inline constexpr unsigned kStringInstanceName = 109;
inline constexpr unsigned kStringAlreadyInstalled = 110;
inline constexpr unsigned kString32BitProviderOn64Bit = 111;
inline constexpr unsigned kStringUnsupportedWindows = 112;
inline constexpr unsigned kStringServer2003Question = 113;
inline constexpr unsigned kStringRepairQuestion = 114;
inline constexpr unsigned kStringPreviousVersionQuestion = 115;

// "msiexec.exe /l*v KovaVssProviderInstaller.log %ls /i %ls" with "/quiet"
// (silent) or nothing, and the package path. The Windows Installer would
// split a path with blanks into several arguments, so such a path is
// enclosed in double quotes; any other path is placed as it is.
std::string InstallCommand(bool silent, const std::string& package_path);

// "msiexec.exe %ls /l*v KovaVssProviderUninstaller.log /X %hs" with
// "/quiet" (silent) or nothing, and the product code.
std::string UninstallCommand(bool silent);

// The help box's text: the version line with the build, a notice line and
// the list of switches.
std::string InstallerHelpText();
