#include "tests/sim/child_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>
#include <thread>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

// Reads what is available within the time left; false at end of stream or time-out.
bool ReadSome(int fd, Clock::time_point deadline, std::string* out) {
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
  if (left.count() <= 0) return false;
  pollfd entry{fd, POLLIN, 0};
  const int ready = poll(&entry, 1, static_cast<int>(left.count()));
  if (ready <= 0) return false;
  char chunk[4096];
  const ssize_t n = read(fd, chunk, sizeof(chunk));
  if (n <= 0) return false;
  out->append(chunk, static_cast<size_t>(n));
  return true;
}

void AddPipeActions(posix_spawn_file_actions_t* actions, const int out_pipe[2], const int err_pipe[2]) {
  posix_spawn_file_actions_adddup2(actions, out_pipe[1], STDOUT_FILENO);
  posix_spawn_file_actions_adddup2(actions, err_pipe[1], STDERR_FILENO);
  for (int fd : {out_pipe[0], out_pipe[1], err_pipe[0], err_pipe[1]}) {
    posix_spawn_file_actions_addclose(actions, fd);
  }
}

}  // namespace

ChildProcess::ChildProcess(const std::string& program, const std::vector<std::string>& args) {
  int out_pipe[2];
  int err_pipe[2];
  if (pipe2(out_pipe, O_CLOEXEC) != 0) throw std::runtime_error("pipe failed");
  if (pipe2(err_pipe, O_CLOEXEC) != 0) throw std::runtime_error("pipe failed");
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  AddPipeActions(&actions, out_pipe, err_pipe);
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  sigset_t signals;
  sigemptyset(&signals);
  posix_spawnattr_setsigmask(&attributes, &signals);
  sigaddset(&signals, SIGTERM);
  sigaddset(&signals, SIGINT);
  sigaddset(&signals, SIGPIPE);
  posix_spawnattr_setsigdefault(&attributes, &signals);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
  std::vector<char*> argv{const_cast<char*>(program.c_str())};
  for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);
  const int error = posix_spawn(&pid_, program.c_str(), &actions, &attributes, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  posix_spawnattr_destroy(&attributes);
  close(out_pipe[1]);
  close(err_pipe[1]);
  stdout_fd_ = out_pipe[0];
  stderr_fd_ = err_pipe[0];
  if (error != 0) {
    pid_ = -1;
    throw std::runtime_error("cannot start " + program + ": " + std::strerror(error));
  }
}

ChildProcess::~ChildProcess() {
  if (pid_ > 0 && !exit_status_) {
    kill(pid_, SIGKILL);
    WaitForExit(std::chrono::seconds(10));
  }
  if (stdout_fd_ >= 0) close(stdout_fd_);
  if (stderr_fd_ >= 0) close(stderr_fd_);
}

std::optional<std::string> ChildProcess::ReadLine(std::chrono::milliseconds timeout) {
  const Clock::time_point deadline = Clock::now() + timeout;
  while (true) {
    const size_t newline = stdout_buffer_.find('\n');
    if (newline != std::string::npos) {
      std::string line = stdout_buffer_.substr(0, newline);
      stdout_buffer_.erase(0, newline + 1);
      return line;
    }
    if (!ReadSome(stdout_fd_, deadline, &stdout_buffer_)) return std::nullopt;
  }
}

std::string ChildProcess::ReadErrors(std::chrono::milliseconds timeout) {
  const Clock::time_point deadline = Clock::now() + timeout;
  std::string errors;
  while (ReadSome(stderr_fd_, deadline, &errors)) {
  }
  return errors;
}

void ChildProcess::Terminate() { kill(pid_, SIGTERM); }

void ChildProcess::Interrupt() { kill(pid_, SIGINT); }

std::optional<int> ChildProcess::WaitForExit(std::chrono::milliseconds timeout) {
  const Clock::time_point deadline = Clock::now() + timeout;
  while (!exit_status_) {
    int status = 0;
    const pid_t done = waitpid(pid_, &status, WNOHANG);
    if (done == pid_) {
      exit_status_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    } else if (done < 0 && errno != EINTR) {
      return std::nullopt;
    } else if (Clock::now() >= deadline) {
      return std::nullopt;
    } else {
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
  }
  return exit_status_;
}
