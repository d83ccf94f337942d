// A program started by a test, with its standard output and error captured
// and signals to end it. The POSIX implementation is child_process_posix.cc;
// the program under test (KovaArraySim) is a Linux stand-in.
#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <vector>

class ChildProcess {
 public:
  // Throws std::runtime_error when the program cannot be started.
  ChildProcess(const std::string& program, const std::vector<std::string>& args);
  ~ChildProcess();  // kills and reaps a child that still runs
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  // The next line of standard output without its '\n'; nothing at the end
  // of the output or when the time-out passes first.
  std::optional<std::string> ReadLine(std::chrono::milliseconds timeout);
  // Standard error until it ends or the time-out passes.
  std::string ReadErrors(std::chrono::milliseconds timeout);

  void Terminate();  // SIGTERM
  void Interrupt();  // SIGINT
  // The exit status (128 + signal number when a signal ended it); nothing
  // when it is still running after the time-out.
  std::optional<int> WaitForExit(std::chrono::milliseconds timeout);

 private:
  int pid_ = -1;
  int stdout_fd_ = -1;
  int stderr_fd_ = -1;
  std::string stdout_buffer_;
  std::optional<int> exit_status_;
};
