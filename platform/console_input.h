// Console input read one character at a time with echo off, for secrets
// typed at a prompt. The caller decides what to show for each character.
//
// POSIX: standard input. When it is a terminal, canonical mode and echo
// are switched off (ICRNL stays, so Enter arrives as a line feed) and
// restored when the object is destroyed; other input (a pipe, a file) is
// read as it is. Characters arrive as UTF-8.
// Windows: the console input handle read with _getwch, which neither
// echoes nor waits for a line; characters are converted to UTF-8.
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
