#include "tests/log/log_test_support.h"

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

#include "tests/support/text_lines.h"

namespace fs = std::filesystem;

ScopedAppDataFolder::ScopedAppDataFolder() {
  std::random_device random;
  for (int attempt = 0; attempt < 100 && path_.empty(); ++attempt) {
    const fs::path candidate =
        fs::temp_directory_path() / ("kova-log-test-" + std::to_string(random()));
    std::error_code error;
    if (fs::create_directory(candidate, error)) path_ = candidate.string();
  }
  Redirect(path_);
}

ScopedAppDataFolder::~ScopedAppDataFolder() {
  std::error_code error;
  if (!path_.empty()) fs::remove_all(path_, error);
}

void ScopedAppDataFolder::Redirect(const std::string& value) const { SetTestEnv("ALLUSERSPROFILE", value); }

std::string InFolder(const std::string& folder, const std::string& name) {
  return (fs::path(folder) / name).string();
}

std::string ReadWholeFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream content;
  content << in.rdbuf();
  return content.str();
}

void WriteWholeFile(const std::string& path, const std::string& content) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << content;
}

std::vector<std::string> ReadLines(const std::string& path) { return SplitTextLines(ReadWholeFile(path)); }

namespace {

// Offsets of the first five spaces: time stamp (two spaces inside), thread,
// letter, tag.
size_t NthSpace(const std::string& line, int n) {
  size_t at = std::string::npos;
  for (int i = 0; i < n; ++i) {
    at = line.find(' ', at == std::string::npos ? 0 : at + 1);
    if (at == std::string::npos) return at;
  }
  return at;
}

}  // namespace

std::string MessageOf(const std::string& line) {
  const size_t after_tag = NthSpace(line, 6);
  return after_tag == std::string::npos ? line : line.substr(after_tag + 1);
}

char LetterOf(const std::string& line) {
  const size_t before = NthSpace(line, 4);
  return before == std::string::npos || before + 1 >= line.size() ? 0 : line[before + 1];
}

std::vector<std::string> LoggerFixture::MessagesTagged(const std::string& file_name,
                                                       const std::string& tag) const {
  std::vector<std::string> messages;
  for (const std::string& line : ReadLines(PathOf(file_name))) {
    if (line.find(" " + tag + " ") != std::string::npos) messages.push_back(MessageOf(line));
  }
  return messages;
}
