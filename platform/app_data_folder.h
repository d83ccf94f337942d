// The machine-wide application data folder, the one "%ALLUSERSPROFILE%"
// names; the logs live in a folder below it.
//
// POSIX: the environment variable ALLUSERSPROFILE, or "/var/log" when it is
// unset or empty. Windows: "%ALLUSERSPROFILE%" expanded.
// The result is UTF-8 without a trailing separator (unless it is the root).
#pragma once

#include <string>

namespace platform {

std::string CommonAppDataFolder();

}  // namespace platform
