// Console input read one character at a time with echo off, for secrets
// typed at a prompt. The caller decides what to show for each character.
//
// Common: whatever the object changes on the terminal or console is put
// back when it is destroyed, when the process exits, and when an
// interruption ends the process while the object lives; the interruption
// then ends the process as it would have without the prompt. One object
// at a time.
// POSIX: standard input. When it is a terminal, canonical mode and echo
// are switched off (ICRNL stays, so Enter arrives as a line feed); other
// input (a pipe, a file) is read as it is. The interruptions are SIGINT,
// SIGTERM, SIGHUP, SIGQUIT and SIGABRT, each unless the program ignores it;
// the program's own handler, if any, runs after the terminal is restored.
// Characters arrive as UTF-8.
// Windows: the console input handle read with _getwch, which neither
// echoes nor waits for a line; characters are converted to UTF-8. The
// interruptions are the console's control events; Ctrl+C, which _getwch
// reads as a character, ends the process as the console's own Ctrl+C
// does.
#pragma once

#include <memory>
#include <string>

namespace platform {

class HiddenConsoleInput {
 public:
  virtual ~HiddenConsoleInput() = default;
  // The next character as its UTF-8 bytes; false at the end of the input
  // or when reading fails.
  virtual bool ReadCharacter(std::string* utf8) = 0;
};

// Null when the process has no console input (standard input closed).
std::unique_ptr<HiddenConsoleInput> OpenHiddenConsoleInput();

}  // namespace platform
