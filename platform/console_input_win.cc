#include <windows.h>
#include <conio.h>

#include "platform/console_input.h"
#include "platform/utf16.h"

namespace platform {

namespace {

// _getwch reads the console itself, without echo and without waiting for
// a line; the console mode needs no change.
class ConsoleKeys : public HiddenConsoleInput {
 public:
  bool ReadCharacter(std::string* utf8) override {
    std::u16string units(1, static_cast<char16_t>(_getwch()));
    if (units[0] == WEOF) return false;
    if (units[0] >= 0xD800 && units[0] <= 0xDBFF) {
      const wint_t low = _getwch();
      if (low == WEOF) return false;
      units.push_back(static_cast<char16_t>(low));
    }
    *utf8 = Utf16ToUtf8(units);
    return true;
  }
};

}  // namespace

std::unique_ptr<HiddenConsoleInput> OpenHiddenConsoleInput() {
  HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
  if (input == nullptr || input == INVALID_HANDLE_VALUE) return nullptr;
  return std::make_unique<ConsoleKeys>();
}

}  // namespace platform
