// Where the machine's persistent state lives on Linux: the registry hive
// and the machine key for data protection. Windows keeps both in the
// operating system (registry, DPAPI) and has no such directory.
#pragma once

#include <string>

namespace platform {

// $KOVA_STATE_DIR when set and not empty, else "/var/lib/kova".
std::string StateDirectory();

// Creates |dir| with mode 0700 when it is missing (its parent must exist).
// False when it neither exists as a directory nor can be created.
bool EnsureStateDirectory(const std::string& dir);

}  // namespace platform
