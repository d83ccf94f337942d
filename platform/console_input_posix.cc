#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>

#include "platform/console_input.h"

namespace platform {

namespace {

// The bytes that follow a UTF-8 lead byte; 0 for ASCII and stray bytes.
int ContinuationBytes(unsigned char lead) {
  if ((lead & 0xE0) == 0xC0) return 1;
  if ((lead & 0xF0) == 0xE0) return 2;
  if ((lead & 0xF8) == 0xF0) return 3;
  return 0;
}

bool ReadByte(char* byte) {
  for (;;) {
    const ssize_t got = read(STDIN_FILENO, byte, 1);
    if (got == 1) return true;
    if (got < 0 && errno == EINTR) continue;
    return false;
  }
}

class TerminalInput : public HiddenConsoleInput {
 public:
  TerminalInput() {
    if (!isatty(STDIN_FILENO) || tcgetattr(STDIN_FILENO, &saved_) != 0) return;
    termios quiet = saved_;
    quiet.c_lflag &= ~static_cast<tcflag_t>(ICANON | ECHO);
    quiet.c_cc[VMIN] = 1;
    quiet.c_cc[VTIME] = 0;
    restore_ = tcsetattr(STDIN_FILENO, TCSANOW, &quiet) == 0;
  }
  ~TerminalInput() override {
    if (restore_) tcsetattr(STDIN_FILENO, TCSANOW, &saved_);
  }

  bool ReadCharacter(std::string* utf8) override {
    char byte = 0;
    if (!ReadByte(&byte)) return false;
    utf8->assign(1, byte);
    for (int more = ContinuationBytes(static_cast<unsigned char>(byte)); more > 0; --more) {
      if (!ReadByte(&byte)) return false;
      utf8->push_back(byte);
    }
    return true;
  }

 private:
  termios saved_{};
  bool restore_ = false;
};

}  // namespace

std::unique_ptr<HiddenConsoleInput> OpenHiddenConsoleInput() {
  if (fcntl(STDIN_FILENO, F_GETFD) < 0) return nullptr;
  return std::make_unique<TerminalInput>();
}

}  // namespace platform
