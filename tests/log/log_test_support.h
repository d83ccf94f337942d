// Helpers for the log's tests: a private application data folder per test
// and file reading.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "library/log/logger.h"
#include "tests/support/test_environment.h"

// |folder| and |name| joined by the system's path separator, as the logger
// joins them.
std::string InFolder(const std::string& folder, const std::string& name);

// Creates an empty temporary folder and points ALLUSERSPROFILE at it; both
// are undone on destruction.
class ScopedAppDataFolder {
 public:
  ScopedAppDataFolder();
  ~ScopedAppDataFolder();
  ScopedAppDataFolder(const ScopedAppDataFolder&) = delete;
  ScopedAppDataFolder& operator=(const ScopedAppDataFolder&) = delete;

  const std::string& path() const { return path_; }
  // "<path>/KovaStorage", with the system's separator.
  std::string LogFolder() const { return InFolder(path_, "KovaStorage"); }
  // Points ALLUSERSPROFILE elsewhere (the folder is still removed at the end).
  void Redirect(const std::string& value) const;

 private:
  std::string path_;
  ScopedTestEnv profile_{"ALLUSERSPROFILE", std::nullopt};
};

std::string ReadWholeFile(const std::string& path);
void WriteWholeFile(const std::string& path, const std::string& content);
// The file's lines without their line ends (kTextLineEnd).
std::vector<std::string> ReadLines(const std::string& path);
// The message part of a log line: what follows the tag; the line itself when
// it has no such layout.
std::string MessageOf(const std::string& line);
// The level letter of a log line (its fourth field); 0 when none.
char LetterOf(const std::string& line);

// Each test starts and ends with the log closed, in its own folder.
class LoggerFixture : public testing::Test {
 protected:
  void SetUp() override { Logger::Close(); }
  void TearDown() override { Logger::Close(); }

  std::string PathOf(const std::string& file_name) const { return InFolder(folder_.LogFolder(), file_name); }
  // The messages of the lines whose tag is `tag`.
  std::vector<std::string> MessagesTagged(const std::string& file_name,
                                          const std::string& tag) const;

  ScopedAppDataFolder folder_;
};
