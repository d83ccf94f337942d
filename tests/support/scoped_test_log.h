// Opens the process log in a fresh temporary folder for one test and reads
// back what was written.
#pragma once

#include <string>
#include <vector>

#include "library/log/logger.h"
#include "tests/support/temp_dir.h"
#include "tests/support/test_environment.h"

class ScopedTestLog {
 public:
  explicit ScopedTestLog(int level);
  ~ScopedTestLog();

  std::string Contents() const;
  std::vector<std::string> Lines() const;
  // Lines whose message (after the tag) contains |text|.
  std::vector<std::string> LinesContaining(const std::string& text) const;

 private:
  TempDir dir_;
  ScopedTestEnv profile_{"ALLUSERSPROFILE", dir_.str()};
};
