// Runs one of the system's programs as a user would: a separate process with
// its own state and log folders, typed input on its standard input, and its
// standard output and error captured; or on a terminal of its own, for what
// only a terminal shows. RunProgram is implemented in program_run_posix.cc
// and program_run_win.cc, TerminalRun on POSIX only.
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
  // What is typed: on POSIX the program's standard input (a pipe); on
  // Windows key presses at a console of the program's own, a line feed
  // being Enter.
  std::string input;
  int run_as_uid = -1;    // >= 0: the child drops to this user and group
};

// Runs the program at |program| with |args| (argv[1..]); gives up and
// kills it after 20 seconds.
ProgramRun RunProgram(const std::string& program, const std::vector<std::string>& args,
                const ProgramRunOptions& options);

// A program running on a new pseudo-terminal, which is its controlling
// terminal and its standard input, output and error. The test holds the
// terminal's other side: it reads what the program writes, looks at the
// terminal's modes, and signals the program.
class TerminalRun {
 public:
  // Starts the program (run_as_uid and input are not used); Started() says
  // whether it could be.
  TerminalRun(const std::string& program, const std::vector<std::string>& args,
              const ProgramRunOptions& options);
  ~TerminalRun();  // kills and reaps the program if it still runs
  TerminalRun(const TerminalRun&) = delete;
  TerminalRun& operator=(const TerminalRun&) = delete;

  bool Started() const { return pid_ > 0; }
  // Reads the terminal until the output holds |text|; false after
  // |timeout_ms| or when the program has closed the terminal.
  bool WaitForOutput(const std::string& text, int timeout_ms);
  const std::string& Output() const { return output_; }
  // Types |keys| at the terminal (a "\x03" is Ctrl+C, read by the terminal).
  void Type(const std::string& keys) const;
  // The terminal's echo and line (canonical) modes now; false when they
  // cannot be read.
  bool Echoes() const;
  bool LineMode() const;
  void Signal(int signal_number) const;
  // Waits for the program to end; it is killed after |timeout_ms|.
  // exit_code is -1 when it did not exit normally; end_signal is the
  // signal that ended it, or 0.
  struct End {
    int exit_code = -1;
    int end_signal = 0;
  };
  End Wait(int timeout_ms);

 private:
  // Appends what the program wrote within |timeout_ms|; false once the
  // terminal cannot be read.
  bool ReadSome(int timeout_ms);

  int master_ = -1;
  int terminal_ = -1;  // the program's side, kept open to read its modes
  int pid_ = -1;
  std::string output_;
};
