// Which Windows versions the bootstrapper installs on.
#pragma once

#include "platform/windows_version.h"

enum class WindowsVerdict {
  kSupported,
  kAskServer2003,  // go on only when the user agrees
  kUnsupported,
};

// Server products (any product type but workstation) of Windows NT
// version 6.0 to 6.3 are supported; 5.2 on a server product needs the
// user's consent; everything else, every workstation included, is not.
WindowsVerdict JudgeWindowsVersion(const platform::WindowsVersion& version);
