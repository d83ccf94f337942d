// Runs a helper program of the operating system (systemctl) and collects
// what it prints. POSIX only: Windows reaches the same facilities through
// its APIs.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace platform {

struct ProgramRun {
  int exit_code = -1;  // -1 when it did not exit normally
  std::string output;  // standard output, at most kMaxProgramOutput bytes
};

inline constexpr size_t kMaxProgramOutput = 64 * 1024;

// Runs |program| (searched in PATH) with |args| (argv[1..]); standard input
// is /dev/null, standard error is discarded. A program still running after
// |timeout_ms| is killed. False when it could not be started.
bool RunProgram(const std::string& program, const std::vector<std::string>& args,
                uint32_t timeout_ms, ProgramRun* run);

}  // namespace platform
