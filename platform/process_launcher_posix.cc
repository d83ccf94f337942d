#include <spawn.h>
#include <sys/wait.h>

#include <cerrno>
#include <vector>

#include "platform/command_line_words.h"
#include "platform/process_launcher.h"

extern char** environ;

namespace platform {
namespace {

class PosixProcessLauncher : public ProcessLauncher {
 public:
  bool RunAndWait(const std::string& command_line, uint32_t* exit_code) override {
    *exit_code = 0;
    std::vector<std::string> words = SplitCommandLine(command_line);
    if (words.empty()) return false;
    std::vector<char*> argv;
    for (std::string& word : words) argv.push_back(&word[0]);
    argv.push_back(nullptr);
    pid_t pid = 0;
    if (posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0) return false;
    int status = 0;
    while (waitpid(pid, &status, 0) < 0) {
      if (errno != EINTR) return false;
    }
    if (WIFEXITED(status)) {
      *exit_code = static_cast<uint32_t>(WEXITSTATUS(status));
    } else if (WIFSIGNALED(status)) {
      *exit_code = 128 + static_cast<uint32_t>(WTERMSIG(status));
    }
    return true;
  }
};

}  // namespace

ProcessLauncher& SystemProcessLauncher() {
  static PosixProcessLauncher launcher;
  return launcher;
}

}  // namespace platform
