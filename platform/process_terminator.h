// Forced termination of a process found by its image name, for a service
// that does not honour a stop request.
//
// Common semantics: the running processes are walked in the system's order
// and the first whose image name equals |image_name| without regard to ASCII
// case is terminated; the call then waits up to |wait_ms| for it to end.
// POSIX: the image name is the process's command name (/proc/<pid>/comm,
// at most 15 characters); termination is SIGKILL through a pidfd, whose
// readiness says that the process has ended. Executables carry no suffix.
// Windows: CreateToolhelp32Snapshot over the image names ("Name.exe"),
// OpenProcess(PROCESS_ALL_ACCESS), TerminateProcess with the exit code
// 0xFFFFFFFF, WaitForSingleObject.
#pragma once

#include <cstdint>
#include <string>

namespace platform {

#ifdef _WIN32
inline constexpr char kExecutableSuffix[] = ".exe";
#else
inline constexpr char kExecutableSuffix[] = "";
#endif

enum class TerminateResult {
  kNotFound,    // no process has that image name
  kCannotOpen,  // the match could not be opened (or ended meanwhile)
  kTerminated,  // it ended within the wait
  kRefused,     // the system refused to terminate it
  kTimedOut,    // it was still running when the wait ran out
};

class ProcessTerminator {
 public:
  virtual ~ProcessTerminator() = default;
  virtual TerminateResult TerminateByImageName(const std::string& image_name,
                                               uint32_t wait_ms) = 0;
};

// The operating system's facility; safe from any thread.
ProcessTerminator& SystemProcessTerminator();

}  // namespace platform
