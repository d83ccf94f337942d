// Runs one of the system's programs as a user would: a separate process with
// its own state and log folders, typed input on its standard input, and its
// standard output and error captured. POSIX implementation in
// program_run_posix.cc.
#pragma once

#include <string>
#include <vector>

struct ProgramRun {
  int exit_code = -1;  // -1 when it did not exit normally in time
  std::string out;
  std::string err;
};

struct ProgramRunOptions {
  std::string state_dir;  // KOVA_STATE_DIR and ALLUSERSPROFILE
  std::string input;      // what is typed
  int run_as_uid = -1;    // >= 0: the child drops to this user and group
};

// Runs the program at |program| with |args| (argv[1..]); gives up and
// kills it after 20 seconds.
ProgramRun RunProgram(const std::string& program, const std::vector<std::string>& args,
                const ProgramRunOptions& options);
