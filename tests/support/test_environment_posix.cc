#include <cstdlib>

#include "tests/support/test_environment.h"

void SetTestEnv(const std::string& name, const std::string& value) {
  setenv(name.c_str(), value.c_str(), 1);
}

void UnsetTestEnv(const std::string& name) { unsetenv(name.c_str()); }

std::optional<std::string> GetTestEnv(const std::string& name) {
  const char* value = std::getenv(name.c_str());
  if (value == nullptr) return std::nullopt;
  return std::string(value);
}

bool RunningUnderWine() { return false; }
