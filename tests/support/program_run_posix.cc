#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "tests/support/program_run.h"

extern char** environ;

namespace {

constexpr int kRunTimeoutMs = 20000;

int64_t NowMs() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<int64_t>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

// The environment with the two folders replaced, built before fork: the
// child of a threaded process may only make async-signal-safe calls.
std::vector<std::string> ChildEnvironment(const std::string& state_dir) {
  std::vector<std::string> env;
  for (char** entry = environ; *entry; ++entry) {
    if (std::strncmp(*entry, "KOVA_STATE_DIR=", 15) == 0) continue;
    if (std::strncmp(*entry, "ALLUSERSPROFILE=", 16) == 0) continue;
    env.push_back(*entry);
  }
  env.push_back("KOVA_STATE_DIR=" + state_dir);
  env.push_back("ALLUSERSPROFILE=" + state_dir);
  return env;
}

std::vector<char*> Pointers(std::vector<std::string>& texts) {
  std::vector<char*> pointers;
  for (std::string& text : texts) pointers.push_back(&text[0]);
  pointers.push_back(nullptr);
  return pointers;
}

[[noreturn]] void BecomeProgram(int in, int out, int err, int uid, char* const* argv,
                             char* const* envp) {
  dup2(in, 0);
  dup2(out, 1);
  dup2(err, 2);
  if (uid >= 0 && (setgroups(0, nullptr) != 0 || setgid(uid) != 0 || setuid(uid) != 0)) _exit(126);
  execve(argv[0], argv, envp);
  _exit(127);
}

// Reads both pipes to their ends (or the deadline).
void Drain(int out_fd, int err_fd, ProgramRun* run, int64_t deadline) {
  pollfd fds[2] = {{out_fd, POLLIN, 0}, {err_fd, POLLIN, 0}};
  std::string* sinks[2] = {&run->out, &run->err};
  int open = 2;
  while (open > 0 && NowMs() < deadline) {
    if (poll(fds, 2, static_cast<int>(deadline - NowMs())) <= 0) continue;
    for (int i = 0; i < 2; ++i) {
      if (fds[i].fd < 0 || !(fds[i].revents & (POLLIN | POLLHUP))) continue;
      char buffer[4096];
      const ssize_t got = read(fds[i].fd, buffer, sizeof buffer);
      if (got > 0) {
        sinks[i]->append(buffer, static_cast<size_t>(got));
      } else if (got == 0 || errno != EINTR) {
        fds[i].fd = -1;
        --open;
      }
    }
  }
}

[[noreturn]] void BecomeTerminalProgram(const char* terminal_path, char* const* argv, char* const* envp) {
  setsid();
  const int terminal = open(terminal_path, O_RDWR);
  if (terminal < 0 || ioctl(terminal, TIOCSCTTY, 0) != 0) _exit(126);
  dup2(terminal, 0);
  dup2(terminal, 1);
  dup2(terminal, 2);
  execve(argv[0], argv, envp);
  _exit(127);
}

}  // namespace

ProgramRun RunProgram(const std::string& program, const std::vector<std::string>& args,
                const ProgramRunOptions& options) {
  std::vector<std::string> argv_text{program};
  argv_text.insert(argv_text.end(), args.begin(), args.end());
  std::vector<std::string> env_text = ChildEnvironment(options.state_dir);
  std::vector<char*> argv = Pointers(argv_text), envp = Pointers(env_text);
  int in[2], out[2], err[2];
  if (pipe2(in, O_CLOEXEC) || pipe2(out, O_CLOEXEC) || pipe2(err, O_CLOEXEC)) return {};
  const pid_t pid = fork();
  if (pid == 0) BecomeProgram(in[0], out[1], err[1], options.run_as_uid, argv.data(), envp.data());
  close(in[0]);
  close(out[1]);
  close(err[1]);
  signal(SIGPIPE, SIG_IGN);
  if (!options.input.empty()) {
    (void)!write(in[1], options.input.data(), options.input.size());
  }
  close(in[1]);
  ProgramRun run;
  const int64_t deadline = NowMs() + kRunTimeoutMs;
  Drain(out[0], err[0], &run, deadline);
  close(out[0]);
  close(err[0]);
  int status = 0;
  if (NowMs() >= deadline) kill(pid, SIGKILL);
  waitpid(pid, &status, 0);
  if (WIFEXITED(status)) run.exit_code = WEXITSTATUS(status);
  return run;
}

TerminalRun::TerminalRun(const std::string& program, const std::vector<std::string>& args,
                         const ProgramRunOptions& options) {
  master_ = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (master_ < 0 || grantpt(master_) != 0 || unlockpt(master_) != 0) return;
  const char* name = ptsname(master_);
  if (name == nullptr) return;
  const std::string path = name;
  terminal_ = open(path.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (terminal_ < 0) return;
  std::vector<std::string> argv_text{program};
  argv_text.insert(argv_text.end(), args.begin(), args.end());
  std::vector<std::string> env_text = ChildEnvironment(options.state_dir);
  std::vector<char*> argv = Pointers(argv_text), envp = Pointers(env_text);
  const pid_t pid = fork();
  if (pid == 0) BecomeTerminalProgram(path.c_str(), argv.data(), envp.data());
  pid_ = pid;
}

TerminalRun::~TerminalRun() {
  if (pid_ > 0) {
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
  }
  if (terminal_ >= 0) close(terminal_);
  if (master_ >= 0) close(master_);
}

bool TerminalRun::ReadSome(int timeout_ms) {
  if (master_ < 0) return false;
  pollfd fd = {master_, POLLIN, 0};
  if (poll(&fd, 1, timeout_ms) <= 0) return true;
  char buffer[4096];
  const ssize_t got = read(master_, buffer, sizeof buffer);
  if (got > 0) output_.append(buffer, static_cast<size_t>(got));
  return got > 0 || (got < 0 && errno == EINTR);
}

bool TerminalRun::WaitForOutput(const std::string& text, int timeout_ms) {
  const int64_t deadline = NowMs() + timeout_ms;
  while (output_.find(text) == std::string::npos) {
    const int64_t left = deadline - NowMs();
    if (left <= 0 || !ReadSome(static_cast<int>(left))) return false;
  }
  return true;
}

bool TerminalRun::Echoes() const {
  termios modes{};
  return terminal_ >= 0 && tcgetattr(terminal_, &modes) == 0 && (modes.c_lflag & ECHO) != 0;
}

bool TerminalRun::LineMode() const {
  termios modes{};
  return terminal_ >= 0 && tcgetattr(terminal_, &modes) == 0 && (modes.c_lflag & ICANON) != 0;
}

void TerminalRun::Type(const std::string& keys) const {
  if (master_ >= 0) (void)!write(master_, keys.data(), keys.size());
}

void TerminalRun::Signal(int signal_number) const {
  if (pid_ > 0) kill(pid_, signal_number);
}

TerminalRun::End TerminalRun::Wait(int timeout_ms) {
  End end;
  if (pid_ <= 0) return end;
  const int64_t deadline = NowMs() + timeout_ms;
  int status = 0;
  pid_t done = 0;
  while ((done = waitpid(pid_, &status, WNOHANG)) == 0 && NowMs() < deadline) {
    ReadSome(10);  // a full terminal would block the program
  }
  if (done == 0) {
    kill(pid_, SIGKILL);
    waitpid(pid_, &status, 0);
  }
  pid_ = -1;
  if (WIFEXITED(status)) end.exit_code = WEXITSTATUS(status);
  if (WIFSIGNALED(status)) end.end_signal = WTERMSIG(status);
  return end;
}
