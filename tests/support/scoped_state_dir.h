// A private $KOVA_STATE_DIR for one test: a fresh temporary folder that the
// hive and the machine key use, removed at the end with the previous value
// of the variable restored.
#pragma once

#include <cstdlib>
#include <string>

#include "tests/support/temp_dir.h"

class ScopedStateDir {
 public:
  ScopedStateDir() {
    const char* previous = std::getenv("KOVA_STATE_DIR");
    had_previous_ = previous != nullptr;
    if (previous) previous_ = previous;
    Point(dir_.str());
  }
  ~ScopedStateDir() {
    if (had_previous_) {
      setenv("KOVA_STATE_DIR", previous_.c_str(), 1);
    } else {
      unsetenv("KOVA_STATE_DIR");
    }
  }
  ScopedStateDir(const ScopedStateDir&) = delete;
  ScopedStateDir& operator=(const ScopedStateDir&) = delete;

  std::string str() const { return dir_.str(); }
  std::string File(const std::string& name) const { return dir_.str() + "/" + name; }
  // Points KOVA_STATE_DIR at |dir| (for example a subfolder not yet made).
  static void Point(const std::string& dir) { setenv("KOVA_STATE_DIR", dir.c_str(), 1); }

 private:
  TempDir dir_;
  bool had_previous_ = false;
  std::string previous_;
};
