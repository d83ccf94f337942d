// Who and where the running program is: its process identifier, the user it
// runs as, its own executable and its command line.
// Windows: GetCurrentProcessId, GetUserNameW, GetModuleFileNameW,
// GetCommandLineW. POSIX: getpid, the password entry of the effective user
// (its number when it has none), /proc/self/exe.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace platform {

uint32_t CurrentProcessId();
// "" when it cannot be found.
std::string CurrentUserName();
// The full path of the program's executable; "" when it cannot be found.
std::string ProgramPath();
// The folder part of |path| with its trailing separator ("" when it has
// none).
std::string FolderOfPath(const std::string& path);

// The command line as the program's switches are looked for in it.
// Windows: the whole command line the process was started with (program
// path included), whatever |args| holds. POSIX: |args| after the program's
// path, joined by blanks, because "/" separates the folders of a path there
// and is also a switch character.
std::string ProgramCommandLine(const std::vector<std::string>& args);

}  // namespace platform
