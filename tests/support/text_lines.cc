#include "tests/support/text_lines.h"

std::vector<std::string> SplitTextLines(const std::string& text) {
  const std::string end = kTextLineEnd;
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < text.size()) {
    const size_t found = text.find(end, start);
    if (found == std::string::npos) {
      lines.push_back(text.substr(start));
      break;
    }
    lines.push_back(text.substr(start, found - start));
    start = found + end.size();
  }
  return lines;
}

std::string WithLineFeeds(const std::string& text) {
  std::string joined;
  for (const std::string& line : SplitTextLines(text)) joined += line + "\n";
  // A last piece without a line end stays without one.
  const std::string end = kTextLineEnd;
  const bool ends_whole = text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
  if (!text.empty() && !ends_whole) joined.pop_back();
  return joined;
}

bool IsWholeTextLines(const std::string& text) {
  if (text.empty()) return true;
  const std::string end = kTextLineEnd;
  if (text.size() < end.size() || text.compare(text.size() - end.size(), end.size(), end) != 0) return false;
  for (const std::string& line : SplitTextLines(text)) {
    if (line.find_first_of("\r\n") != std::string::npos) return false;
  }
  return true;
}
