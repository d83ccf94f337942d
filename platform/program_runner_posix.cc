#include "platform/program_runner_posix.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

extern char** environ;

namespace platform {

namespace {

int64_t MonotonicMs() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<int64_t>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

bool Spawn(const std::string& program, const std::vector<std::string>& args, int out_fd,
           pid_t* pid) {
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(program.c_str()));
  for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, out_fd, 1);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  const int error = posix_spawnp(pid, program.c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  return error == 0;
}

// Reads until end of output or the deadline; false when the deadline came.
bool Collect(int fd, int64_t deadline, std::string* output) {
  char buffer[4096];
  for (;;) {
    const int64_t left = deadline - MonotonicMs();
    if (left <= 0) return false;
    pollfd waiting{fd, POLLIN, 0};
    const int ready = poll(&waiting, 1, static_cast<int>(left));
    if (ready < 0 && errno == EINTR) continue;
    if (ready <= 0) return false;
    const ssize_t got = read(fd, buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return true;
    const size_t room = kMaxProgramOutput - std::min(output->size(), kMaxProgramOutput);
    output->append(buffer, std::min(room, static_cast<size_t>(got)));
  }
}

// Reaps |pid|; false when it still runs at the deadline.
bool AwaitExit(pid_t pid, int64_t deadline, int* status) {
  for (;;) {
    const pid_t done = waitpid(pid, status, WNOHANG);
    if (done == pid) return true;
    if (done < 0 && errno != EINTR) return false;
    if (MonotonicMs() >= deadline) return false;
    const timespec pause{0, 5 * 1000 * 1000};
    nanosleep(&pause, nullptr);
  }
}

}  // namespace

bool RunProgram(const std::string& program, const std::vector<std::string>& args,
                uint32_t timeout_ms, ProgramRun* run) {
  *run = ProgramRun{};
  int pipe_fds[2];
  if (pipe2(pipe_fds, O_CLOEXEC) != 0) return false;
  pid_t pid = -1;
  const bool started = Spawn(program, args, pipe_fds[1], &pid);
  close(pipe_fds[1]);
  if (!started) {
    close(pipe_fds[0]);
    return false;
  }
  const int64_t deadline = MonotonicMs() + timeout_ms;
  const bool collected = Collect(pipe_fds[0], deadline, &run->output);
  close(pipe_fds[0]);
  int status = 0;
  const bool exited = collected && AwaitExit(pid, deadline, &status);
  if (!exited) {
    kill(pid, SIGKILL);
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
  }
  if (exited && WIFEXITED(status)) run->exit_code = WEXITSTATUS(status);
  return true;
}

}  // namespace platform
