#include "platform/os_description.h"

#include <sstream>

namespace platform {

namespace {

// A shell-style value: double or single quotes around it, backslash escapes
// inside double quotes.
std::string Unquote(const std::string& value) {
  if (value.size() < 2) return value;
  const char quote = value.front();
  if ((quote != '"' && quote != '\'') || value.back() != quote) return value;
  std::string text;
  for (size_t i = 1; i + 1 < value.size(); ++i) {
    if (quote == '"' && value[i] == '\\' && i + 2 < value.size()) ++i;
    text += value[i];
  }
  return text;
}

std::string FindAssignment(const std::string& os_release, const std::string& variable) {
  std::istringstream lines(os_release);
  const std::string prefix = variable + "=";
  for (std::string line; std::getline(lines, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.compare(0, prefix.size(), prefix) == 0) return Unquote(line.substr(prefix.size()));
  }
  return "";
}

}  // namespace

std::string ParseOsReleaseName(const std::string& os_release) {
  const std::string pretty = FindAssignment(os_release, "PRETTY_NAME");
  return pretty.empty() ? FindAssignment(os_release, "NAME") : pretty;
}

}  // namespace platform
