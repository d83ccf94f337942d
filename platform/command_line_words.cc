#include "platform/command_line_words.h"

namespace platform {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

}  // namespace

std::vector<std::string> SplitCommandLine(const std::string& command_line) {
  std::vector<std::string> words;
  size_t i = 0;
  const size_t n = command_line.size();
  while (i < n) {
    while (i < n && IsBlank(command_line[i])) ++i;
    if (i == n) break;
    std::string word;
    bool quoted = false;
    for (; i < n && (quoted || !IsBlank(command_line[i])); ++i) {
      const char c = command_line[i];
      if (c != '"') {
        word.push_back(c);
      } else if (quoted && i + 1 < n && command_line[i + 1] == '"') {
        word.push_back('"');
        ++i;
      } else {
        quoted = !quoted;
      }
    }
    words.push_back(word);
  }
  return words;
}

std::string ArgumentsAfterProgramName(const std::string& command_line) {
  size_t i = 0;
  const size_t n = command_line.size();
  if (n > 0 && command_line[0] == '"') {
    const size_t close = command_line.find('"', 1);
    i = close == std::string::npos ? n : close + 1;
  } else {
    while (i < n && !IsBlank(command_line[i])) ++i;
  }
  while (i < n && IsBlank(command_line[i])) ++i;
  return command_line.substr(i);
}

}  // namespace platform
