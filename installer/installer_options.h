// The bootstrapper's options and how its argument text sets them.
#pragma once

#include <string>

enum class InstallerMode { kInstall, kUninstall };

struct InstallerOptions {
  InstallerMode mode = InstallerMode::kInstall;
  bool silent = false;           // "/quiet" for the Windows Installer, no result box
  bool remove_existing = false;  // remove an installed copy before installing
  bool extract_only = false;
  bool help = false;
};

// Each switch is found by a search for its characters anywhere in the
// whole text, without regard to case, so "/silent" sets silent and a path
// argument that contains "/x" selects uninstalling: "/x" or "-x"
// uninstall, "/s" or "-s" silent, "/r" or "-r" remove first, "/e" or "-e"
// extract, "/?", "-?", "/h" or "-h" (and so "/help", "-help") help.
InstallerOptions ParseInstallerSwitches(const std::string& argument_text);
