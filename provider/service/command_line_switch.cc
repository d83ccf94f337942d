#include "provider/service/command_line_switch.h"

namespace kova_service {
namespace {

char Upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

bool EndsWord(char c) { return c == '\0' || c == ' ' || c == '\t'; }

}  // namespace

size_t FindNextSwitch(const std::string& line, size_t from) {
  const size_t found = line.find_first_of("-/", from);
  return found == std::string::npos ? found : found + 1;
}

bool SwitchWordIs(const std::string& line, size_t at, const char* word) {
  size_t i = 0;
  for (;; ++i) {
    const char c = at + i < line.size() ? line[at + i] : '\0';
    if (EndsWord(c)) return word[i] == '\0';
    if (Upper(c) != Upper(word[i])) return false;
  }
}

}  // namespace kova_service
