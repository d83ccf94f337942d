#include "tests/installer/rc_string_table.h"

#include <cstdlib>
#include <fstream>
#include <sstream>

namespace {

std::string Trimmed(const std::string& line) {
  const size_t begin = line.find_first_not_of(" \t\r");
  if (begin == std::string::npos) return "";
  const size_t end = line.find_last_not_of(" \t\r");
  return line.substr(begin, end - begin + 1);
}

char Unescaped(char c) {
  switch (c) {
    case 'n':
      return '\n';
    case 't':
      return '\t';
    default:
      return c;
  }
}

// The text of a quoted literal that starts at |quote|.
std::string Literal(const std::string& line, size_t quote) {
  std::string text;
  for (size_t i = quote + 1; i < line.size(); ++i) {
    if (line[i] == '"' && i + 1 < line.size() && line[i + 1] == '"') {
      text.push_back('"');
      ++i;
    } else if (line[i] == '"') {
      break;
    } else if (line[i] == '\\' && i + 1 < line.size()) {
      text.push_back(Unescaped(line[++i]));
    } else {
      text.push_back(line[i]);
    }
  }
  return text;
}

}  // namespace

std::map<unsigned, std::string> ReadRcStringTable(const std::string& rc_path) {
  std::map<unsigned, std::string> table;
  std::ifstream in(rc_path);
  bool in_table = false;
  bool in_block = false;
  for (std::string line; std::getline(in, line);) {
    const std::string trimmed = Trimmed(line);
    if (trimmed == "STRINGTABLE") {
      in_table = true;
    } else if (in_table && trimmed == "BEGIN") {
      in_block = true;
    } else if (in_block && trimmed == "END") {
      in_table = in_block = false;
    } else if (in_block && !trimmed.empty()) {
      const size_t quote = trimmed.find('"');
      if (quote == std::string::npos) continue;
      const unsigned id = static_cast<unsigned>(std::strtoul(trimmed.c_str(), nullptr, 0));
      table[id] = Literal(trimmed, quote);
    }
  }
  return table;
}
