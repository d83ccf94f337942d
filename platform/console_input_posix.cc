#include <fcntl.h>
#include <signal.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "platform/console_input.h"

namespace platform {

namespace {

// The signals that end a program at a prompt; echo must be back on before
// the program goes. SIGKILL cannot be caught.
constexpr int kEndingSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGABRT};
constexpr size_t kEndingSignalCount = sizeof kEndingSignals / sizeof kEndingSignals[0];

// The terminal's settings before the prompt, for the signal handler and the
// exit hook, which can reach nothing else. One prompt is open at a time.
termios g_saved_terminal{};
volatile sig_atomic_t g_terminal_changed = 0;
struct sigaction g_previous_actions[kEndingSignalCount];
bool g_handled[kEndingSignalCount] = {};

void RestoreSavedTerminal() {
  // tcsetattr is async-signal-safe.
  if (g_terminal_changed) tcsetattr(STDIN_FILENO, TCSANOW, &g_saved_terminal);
}

extern "C" void RestoreTerminalAndEnd(int signal_number) {
  RestoreSavedTerminal();
  g_terminal_changed = 0;
  // The program's own disposition takes over; with the default one the
  // signal, raised again once this handler returns, ends the program as it
  // would have without the prompt.
  for (size_t i = 0; i < kEndingSignalCount; ++i) {
    if (kEndingSignals[i] == signal_number) sigaction(signal_number, &g_previous_actions[i], nullptr);
  }
  raise(signal_number);
}

extern "C" void RestoreTerminalAtExit() { RestoreSavedTerminal(); }

void CatchEndingSignals() {
  struct sigaction action {};
  action.sa_handler = RestoreTerminalAndEnd;
  sigemptyset(&action.sa_mask);
  for (int signal_number : kEndingSignals) sigaddset(&action.sa_mask, signal_number);
  for (size_t i = 0; i < kEndingSignalCount; ++i) {
    g_handled[i] = false;
    if (sigaction(kEndingSignals[i], nullptr, &g_previous_actions[i]) != 0) continue;
    // A signal the program ignores (nohup) stays ignored.
    if (g_previous_actions[i].sa_handler == SIG_IGN) continue;
    g_handled[i] = sigaction(kEndingSignals[i], &action, nullptr) == 0;
  }
}

void ReleaseEndingSignals() {
  for (size_t i = 0; i < kEndingSignalCount; ++i) {
    if (g_handled[i]) sigaction(kEndingSignals[i], &g_previous_actions[i], nullptr);
    g_handled[i] = false;
  }
}

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
    termios saved{};
    if (!isatty(STDIN_FILENO) || tcgetattr(STDIN_FILENO, &saved) != 0) return;
    static const bool exit_hook = std::atexit(RestoreTerminalAtExit) == 0;
    (void)exit_hook;
    g_saved_terminal = saved;
    g_terminal_changed = 1;  // before the change: a signal in between restores too
    CatchEndingSignals();
    termios quiet = saved;
    quiet.c_lflag &= ~static_cast<tcflag_t>(ICANON | ECHO);
    quiet.c_cc[VMIN] = 1;
    quiet.c_cc[VTIME] = 0;
    if (tcsetattr(STDIN_FILENO, TCSANOW, &quiet) != 0) Restore();
  }
  ~TerminalInput() override { Restore(); }

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
  void Restore() {
    RestoreSavedTerminal();
    g_terminal_changed = 0;
    ReleaseEndingSignals();
  }
};

}  // namespace

std::unique_ptr<HiddenConsoleInput> OpenHiddenConsoleInput() {
  if (fcntl(STDIN_FILENO, F_GETFD) < 0) return nullptr;
  return std::make_unique<TerminalInput>();
}

}  // namespace platform
