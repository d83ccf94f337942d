#include <windows.h>
#include <conio.h>

#include "platform/console_input.h"
#include "platform/utf16.h"

namespace platform {

namespace {

constexpr wint_t kCtrlC = 3;

// The console's input mode before the prompt, for the control handler,
// which runs on a thread of its own and can reach nothing else. _getwch
// changes the mode while it waits for a key; an event in that moment would
// otherwise leave the console without echo. One prompt is open at a time.
HANDLE g_input = nullptr;
DWORD g_saved_mode = 0;
volatile LONG g_mode_saved = 0;

void RestoreSavedMode() {
  if (g_mode_saved) SetConsoleMode(g_input, g_saved_mode);
}

// Restores and lets the next handler (in the end the default one, which
// ends the process) take the event.
BOOL WINAPI RestoreModeOnControlEvent(DWORD /*event*/) {
  RestoreSavedMode();
  return FALSE;
}

class ConsoleKeys : public HiddenConsoleInput {
 public:
  explicit ConsoleKeys(HANDLE input) {
    DWORD mode = 0;
    if (!GetConsoleMode(input, &mode)) return;  // not a console: nothing changes
    g_input = input;
    g_saved_mode = mode;
    g_mode_saved = 1;
    handler_ = SetConsoleCtrlHandler(RestoreModeOnControlEvent, TRUE) != FALSE;
  }
  ~ConsoleKeys() override {
    RestoreSavedMode();
    g_mode_saved = 0;
    if (handler_) SetConsoleCtrlHandler(RestoreModeOnControlEvent, FALSE);
  }

  bool ReadCharacter(std::string* utf8) override {
    std::u16string units(1, static_cast<char16_t>(_getwch()));
    if (units[0] == WEOF) return false;
    // _getwch reads Ctrl+C as a key; it must end the program, not join
    // the password.
    if (units[0] == kCtrlC) EndAsCtrlCDoes();
    if (units[0] >= 0xD800 && units[0] <= 0xDBFF) {
      const wint_t low = _getwch();
      if (low == WEOF) return false;
      units.push_back(static_cast<char16_t>(low));
    }
    *utf8 = Utf16ToUtf8(units);
    return true;
  }

 private:
  [[noreturn]] static void EndAsCtrlCDoes() {
    RestoreSavedMode();
    ExitProcess(STATUS_CONTROL_C_EXIT);
  }

  bool handler_ = false;
};

}  // namespace

std::unique_ptr<HiddenConsoleInput> OpenHiddenConsoleInput() {
  HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
  if (input == nullptr || input == INVALID_HANDLE_VALUE) return nullptr;
  return std::make_unique<ConsoleKeys>(input);
}

}  // namespace platform
