#include "tests/support/console_typist_win.h"

#include <vector>

ConsoleTypist::ConsoleTypist(DWORD pid) {
  FreeConsole();
  for (int i = 0; i < 500 && !attached_; ++i) {
    attached_ = AttachConsole(pid) != FALSE;
    if (!attached_) Sleep(10);
  }
  if (attached_) {
    input_ = CreateFileW(L"CONIN$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                         OPEN_EXISTING, 0, nullptr);
  }
}

ConsoleTypist::~ConsoleTypist() {
  if (input_ != INVALID_HANDLE_VALUE) CloseHandle(input_);
  if (attached_) FreeConsole();
}

bool ConsoleTypist::Type(const std::u16string& keys) const {
  std::vector<INPUT_RECORD> records(keys.size());
  for (size_t i = 0; i < keys.size(); ++i) {
    records[i].EventType = KEY_EVENT;
    records[i].Event.KeyEvent.bKeyDown = TRUE;
    records[i].Event.KeyEvent.wRepeatCount = 1;
    records[i].Event.KeyEvent.uChar.UnicodeChar = static_cast<WCHAR>(keys[i]);
  }
  DWORD written = 0;
  return WriteConsoleInputW(input_, records.data(), static_cast<DWORD>(records.size()), &written) &&
         written == records.size();
}

DWORD ConsoleTypist::Mode() const {
  DWORD mode = 0;
  return GetConsoleMode(input_, &mode) ? mode : 0;
}
