// A private $KOVA_STATE_DIR for one test: a fresh temporary folder that the
// hive and the machine key use, removed at the end with the previous value
// of the variable restored.
#pragma once

#include <string>

#include "tests/support/temp_dir.h"
#include "tests/support/test_environment.h"

class ScopedStateDir {
 public:
  ScopedStateDir() = default;
  ScopedStateDir(const ScopedStateDir&) = delete;
  ScopedStateDir& operator=(const ScopedStateDir&) = delete;

  std::string str() const { return dir_.str(); }
  std::string File(const std::string& name) const { return dir_.str() + "/" + name; }
  // Points KOVA_STATE_DIR at |dir| (for example a subfolder not yet made).
  static void Point(const std::string& dir) { SetTestEnv("KOVA_STATE_DIR", dir); }
  // nullptr where a second state folder plays another machine (its own
  // machine key); otherwise why it cannot.
  static const char* NoOtherMachine() {
#ifdef _WIN32
    return "on Windows the machine's data protection key is the system's, not the state folder's";
#else
    return nullptr;
#endif
  }

 private:
  TempDir dir_;
  ScopedTestEnv state_dir_{"KOVA_STATE_DIR", dir_.str()};
};
