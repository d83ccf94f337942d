// The process environment as tests change it: what the code under test
// reads with getenv and, on Windows, with the Win32 environment calls
// (ExpandEnvironmentStrings, GetEnvironmentVariable) too.
// POSIX: setenv/unsetenv. Windows: both the C runtime's copy and the
// process's Win32 environment block.
#pragma once

#include <optional>
#include <string>

void SetTestEnv(const std::string& name, const std::string& value);
void UnsetTestEnv(const std::string& name);
std::optional<std::string> GetTestEnv(const std::string& name);

// True for a Windows program that runs under Wine, where a few system
// facilities behave unlike Windows (tests that depend on them say so).
bool RunningUnderWine();

// Sets (or, with nullopt, removes) a variable for its lifetime and restores
// the previous value or absence afterwards.
class ScopedTestEnv {
 public:
  ScopedTestEnv(std::string name, const std::optional<std::string>& value)
      : name_(std::move(name)), previous_(GetTestEnv(name_)) {
    Set(value);
  }
  ~ScopedTestEnv() { Set(previous_); }
  ScopedTestEnv(const ScopedTestEnv&) = delete;
  ScopedTestEnv& operator=(const ScopedTestEnv&) = delete;

  void Set(const std::optional<std::string>& value) {
    if (value) {
      SetTestEnv(name_, *value);
    } else {
      UnsetTestEnv(name_);
    }
  }

 private:
  std::string name_;
  std::optional<std::string> previous_;
};
