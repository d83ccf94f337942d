// The bootstrapper's result codes (its exit codes) and how the Windows
// Installer's exit code maps onto them.
#pragma once

#include <cstdint>

inline constexpr int kResultDone = 0;
// The package resource is missing, empty or cannot be loaded, or writing
// it failed.
inline constexpr int kResultPackageUnavailable = 1;
inline constexpr int kResultPackageFileNotCreated = 7;
inline constexpr int kResultPackageFileShort = 9;
// No usable folder for the package, or the package file is missing after
// writing.
inline constexpr int kResultNoPackageFolder = 22;
inline constexpr int kResultBadExtractArguments = 24;  // empty resource name or path
inline constexpr int kResultWindowsUnsupported = 30;
inline constexpr int kResultServer2003Declined = 31;
// The Windows Installer did not start, or ended with another error.
inline constexpr int kResultInstallerFailed = 32;
inline constexpr int kResultInstallerCancelled = 33;  // it ended with 1602
inline constexpr int kResultRestartNeeded = 34;       // it ended with 3010

// Exit codes of the Windows Installer that the bootstrapper tells apart.
inline constexpr uint32_t kMsiSuccess = 0;
inline constexpr uint32_t kMsiUserExit = 1602;
inline constexpr uint32_t kMsiRestartInitiated = 1641;
inline constexpr uint32_t kMsiRestartRequired = 3010;

// 0 for a run that ended with success or with a restart already under
// way, 33 for a user cancel, 34 for a restart needed, 32 for anything
// else, a run that did not start included.
int MapWindowsInstallerExit(bool ran, uint32_t exit_code);
