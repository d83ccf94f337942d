#include "tests/support/scoped_test_log.h"

#include <fstream>
#include <sstream>

#include "library/log/logger.h"
#include "tests/support/text_lines.h"

ScopedTestLog::ScopedTestLog(int level) { Logger::Open(true, level, "test.log"); }

ScopedTestLog::~ScopedTestLog() { Logger::Close(); }

std::string ScopedTestLog::Contents() const {
  std::ifstream in(dir_.path() / "KovaStorage" / "test.log", std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

std::vector<std::string> ScopedTestLog::Lines() const {
  std::vector<std::string> lines = SplitTextLines(Contents());
  // A message's own "\r\n" leaves a "\r" at its line's end.
  for (std::string& line : lines) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
  }
  return lines;
}

std::vector<std::string> ScopedTestLog::LinesContaining(const std::string& text) const {
  std::vector<std::string> matching;
  for (const std::string& line : Lines()) {
    if (line.find(text) != std::string::npos) matching.push_back(line);
  }
  return matching;
}
