// Starts a command line as a new process and waits for it to end, without
// a time limit: the installer waits for the Windows Installer however long
// its dialogs stay open.
//
// Common semantics: RunAndWait gives false, and an exit code of 0, when the
// process could not be started; otherwise true and the process's exit code.
// Windows: CreateProcessW with the command line as given (the system finds
// the program), the caller's priority class, no new window or environment,
// WaitForSingleObject(INFINITE), GetExitCodeProcess; the handles are
// closed.
// POSIX: the command line is split into words as SplitCommandLine does;
// the first is searched in PATH (posix_spawnp) and the process inherits the
// caller's standard streams. A process ended by a signal gives 128 plus
// the signal's number.
#pragma once

#include <cstdint>
#include <string>

namespace platform {

class ProcessLauncher {
 public:
  virtual ~ProcessLauncher() = default;
  virtual bool RunAndWait(const std::string& command_line, uint32_t* exit_code) = 0;
};

ProcessLauncher& SystemProcessLauncher();

}  // namespace platform
