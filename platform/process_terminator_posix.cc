#include <dirent.h>
#include <poll.h>
#include <signal.h>
#include <sys/syscall.h>
#include <time.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <fstream>

#include "platform/process_terminator.h"

namespace platform {

namespace {

bool SameNameIgnoringCase(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) !=
        std::tolower(static_cast<unsigned char>(b[i]))) {
      return false;
    }
  }
  return true;
}

bool IsProcessId(const char* name) {
  if (!*name) return false;
  for (const char* c = name; *c; ++c) {
    if (!std::isdigit(static_cast<unsigned char>(*c))) return false;
  }
  return true;
}

// The first process in /proc whose command name matches; -1 when none.
pid_t FindProcess(const std::string& image_name) {
  DIR* proc = opendir("/proc");
  if (!proc) return -1;
  pid_t found = -1;
  while (const dirent* entry = readdir(proc)) {
    if (!IsProcessId(entry->d_name)) continue;
    std::ifstream comm(std::string("/proc/") + entry->d_name + "/comm");
    std::string name;
    if (!std::getline(comm, name) || !SameNameIgnoringCase(name, image_name)) continue;
    found = static_cast<pid_t>(std::stol(entry->d_name));
    break;
  }
  closedir(proc);
  return found;
}

// A pidfd refers to the one process even if its number is reused later.
int OpenProcess(pid_t pid) { return static_cast<int>(syscall(SYS_pidfd_open, pid, 0)); }

bool SendKill(int pidfd) {
  return syscall(SYS_pidfd_send_signal, pidfd, SIGKILL, nullptr, 0) == 0;
}

// A pidfd polls readable once its process has ended.
bool AwaitEnd(int pidfd, uint32_t wait_ms) {
  timespec start{};
  clock_gettime(CLOCK_MONOTONIC, &start);
  for (;;) {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    const int64_t spent =
        (now.tv_sec - start.tv_sec) * 1000 + (now.tv_nsec - start.tv_nsec) / 1000000;
    if (spent >= wait_ms) return false;
    pollfd waiting{pidfd, POLLIN, 0};
    const int ready = poll(&waiting, 1, static_cast<int>(wait_ms - spent));
    if (ready > 0) return true;
    if (ready == 0 || errno != EINTR) return false;
  }
}

class PosixProcessTerminator : public ProcessTerminator {
 public:
  TerminateResult TerminateByImageName(const std::string& image_name, uint32_t wait_ms) override {
    const pid_t pid = FindProcess(image_name);
    if (pid < 0) return TerminateResult::kNotFound;
    const int pidfd = OpenProcess(pid);
    if (pidfd < 0) return TerminateResult::kCannotOpen;
    TerminateResult result = TerminateResult::kRefused;
    if (SendKill(pidfd)) {
      result = AwaitEnd(pidfd, wait_ms) ? TerminateResult::kTerminated : TerminateResult::kTimedOut;
    }
    close(pidfd);
    return result;
  }
};

}  // namespace

ProcessTerminator& SystemProcessTerminator() {
  static PosixProcessTerminator* const terminator = new PosixProcessTerminator;
  return *terminator;
}

}  // namespace platform
