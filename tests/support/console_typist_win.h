// Typing at the console of another process, as a user at that console
// would: this process attaches to that console and writes key presses into
// its input. A process has one console at most, so whatever console this
// one had is given up, and one typist lives at a time.
#pragma once

#include <windows.h>

#include <string>

class ConsoleTypist {
 public:
  // Attaches to the console of the process |pid|, waiting up to 5 s for
  // its start-up to make it.
  explicit ConsoleTypist(DWORD pid);
  ~ConsoleTypist();  // detaches
  ConsoleTypist(const ConsoleTypist&) = delete;
  ConsoleTypist& operator=(const ConsoleTypist&) = delete;

  bool Attached() const { return input_ != INVALID_HANDLE_VALUE; }
  // One key press (key down only) per UTF-16 unit, as typed.
  bool Type(const std::u16string& keys) const;
  // The console's input mode now; 0 when it cannot be read.
  DWORD Mode() const;

 private:
  bool attached_ = false;
  HANDLE input_ = INVALID_HANDLE_VALUE;
};
