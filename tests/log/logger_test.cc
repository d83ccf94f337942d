#include "library/log/logger.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <regex>
#include <string>
#include <vector>

#include "library/version.h"
#include "platform/os_version.h"
#include "tests/support/text_lines.h"
#include "platform/thread_id.h"
#include "tests/log/log_test_support.h"

namespace {

namespace fs = std::filesystem;

constexpr char kLog[] = "test.log";
constexpr char kStartBanner[] =
    ">>>>>>>>>>>>>>>>>>>>>>>>>>>>>>> ==== ( LOG SESSION STARTED ) ==== "
    "<<<<<<<<<<<<<<<<<<<<<<<<<<<<<<<<";
constexpr char kEndBanner[] =
    "<<<<<<<<<<<<<<<<<<<<<<<<<<<<<<<< ==== ( LOG SESSION ENDED ) ==== "
    ">>>>>>>>>>>>>>>>>>>>>>>>>>>>>>>";

void WriteEveryLevel(const char* tag) {
  const int levels[] = {LOG_ERROR, LOG_WARN, LOG_INFO, LOG_DEBUG, LOG_TRACE, 7, 8};
  for (int level : levels) {
    Logger::Write(level, tag, "level %d", level);
  }
}

class LoggerLevels : public LoggerFixture {};

TEST_F(LoggerLevels, LevelOneWritesOnlyErrorsAndWarningsAndNoBanners) {
  Logger::Open(true, LOG_WARN, kLog);
  WriteEveryLevel("Kova.Test");
  Logger::Close();
  const std::vector<std::string> lines = ReadLines(PathOf(kLog));
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(LetterOf(lines[0]), 'E');
  EXPECT_EQ(MessageOf(lines[0]), "level 0");
  EXPECT_EQ(LetterOf(lines[1]), 'W');
  EXPECT_EQ(MessageOf(lines[1]), "level 1");
}

TEST_F(LoggerLevels, NegativeLevelWritesNothing) {
  Logger::Open(true, -1, kLog);
  WriteEveryLevel("Kova.Test");
  Logger::Close();
  ASSERT_TRUE(fs::exists(PathOf(kLog)));
  EXPECT_EQ(ReadWholeFile(PathOf(kLog)), "");
}

TEST_F(LoggerLevels, LevelsAboveThreeAreWrittenWithLetterT) {
  Logger::Open(true, 7, kLog);
  WriteEveryLevel("Kova.Test");
  const std::vector<std::string> messages = MessagesTagged(kLog, "Kova.Test");
  EXPECT_EQ(messages, (std::vector<std::string>{"level 0", "level 1", "level 2", "level 3",
                                                "level 4", "level 7"}));
  std::string letters;
  for (const std::string& line : ReadLines(PathOf(kLog))) {
    if (line.find(" Kova.Test ") != std::string::npos) letters += LetterOf(line);
  }
  EXPECT_EQ(letters, "EWIDTT");
}

TEST_F(LoggerLevels, DefaultDebugLevelLeavesOutTrace) {
  Logger::Open(true, LOG_DEBUG, kLog);
  WriteEveryLevel("Kova.Test");
  EXPECT_EQ(MessagesTagged(kLog, "Kova.Test"),
            (std::vector<std::string>{"level 0", "level 1", "level 2", "level 3"}));
}

class LoggerSession : public LoggerFixture {};

TEST_F(LoggerSession, LineLayoutIsTimeThreadLetterTagMessage) {
  Logger::Open(true, LOG_DEBUG, kLog);
  Logger::Write(LOG_INFO, "Kova.Test", "value %d of %hs, wide %ls", 42, "narrow", L"wide");
  const std::vector<std::string> lines = ReadLines(PathOf(kLog));
  ASSERT_FALSE(lines.empty());
  const std::regex layout(
      "(Jan|Feb|Mar|Apr|May|Jun|Jul|Aug|Sep|Oct|Nov|Dec) ([1-9]|[12][0-9]|3[01]) "
      "([01][0-9]|2[0-3]):[0-5][0-9]:[0-6][0-9]\\.[0-9]{3} ([0-9A-F]{4,8}) I Kova\\.Test "
      "value 42 of narrow, wide wide");
  std::smatch match;
  ASSERT_TRUE(std::regex_match(lines.back(), match, layout)) << lines.back();
  char thread[16];
  std::snprintf(thread, sizeof thread, "%04X", platform::CurrentThreadId());
  EXPECT_EQ(match[4].str(), thread);
  // Lines end with the system's text line end and every line is complete.
  const std::string content = ReadWholeFile(PathOf(kLog));
  ASSERT_FALSE(content.empty());
  EXPECT_TRUE(IsWholeTextLines(content)) << content;
}

TEST_F(LoggerSession, OpenWritesStartBannersAndCloseTheEndBanner) {
  Logger::Open(true, LOG_DEBUG, kLog);
  EXPECT_EQ(Logger::FilePath(), PathOf(kLog));
  Logger::Write(LOG_ERROR, "Kova.Test", "middle");
  Logger::Close();
  EXPECT_EQ(Logger::FilePath(), "");
  const platform::OsVersion os = platform::GetOsVersion();
  const std::vector<std::string> expected = {
      kStartBanner,
      "LogLevel: 3, LogFileName: " + PathOf(kLog) + ".",
      std::string("Version: ") + kova::kProductVersion + ". BUILD: " + kova::kBuildString +
          ". OS: " + std::to_string(os.major) + "." + std::to_string(os.minor),
      kEndBanner,
  };
  EXPECT_EQ(MessagesTagged(kLog, "Kova.Logger"), expected);
  const std::vector<std::string> lines = ReadLines(PathOf(kLog));
  ASSERT_EQ(lines.size(), 5u);
  EXPECT_EQ(MessageOf(lines[3]), "middle");
  EXPECT_EQ(LetterOf(lines[0]), 'I');
}

TEST_F(LoggerSession, NothingIsWrittenBeforeOpenOrAfterClose) {
  Logger::Write(LOG_ERROR, "Kova.Test", "before open");
  Logger::Open(true, LOG_DEBUG, kLog);
  Logger::Close();
  const std::string closed = ReadWholeFile(PathOf(kLog));
  Logger::Write(LOG_ERROR, "Kova.Test", "after close");
  Logger::HoldLogOutput();
  Logger::Write(LOG_ERROR, "Kova.Test", "held after close");
  Logger::ReleaseLogOutput();
  EXPECT_EQ(ReadWholeFile(PathOf(kLog)), closed);
  EXPECT_EQ(closed.find("before open"), std::string::npos);
}

TEST_F(LoggerSession, DisabledLogCreatesNoFileOrFolder) {
  Logger::Open(false, LOG_TRACE, kLog);
  Logger::Write(LOG_ERROR, "Kova.Test", "dropped");
  EXPECT_EQ(Logger::FilePath(), "");
  EXPECT_FALSE(fs::exists(folder_.LogFolder()));
}

TEST_F(LoggerSession, SecondOpenChangesOnlyTheSettings) {
  Logger::Open(true, LOG_DEBUG, kLog);
  Logger::Open(true, LOG_WARN, "other.log");
  Logger::Write(LOG_DEBUG, "Kova.Test", "debug at level 1");
  Logger::Write(LOG_WARN, "Kova.Test", "warning at level 1");
  Logger::Open(true, LOG_DEBUG, kLog);
  Logger::Write(LOG_DEBUG, "Kova.Test", "debug at level 3");
  Logger::Open(false, LOG_DEBUG, kLog);
  Logger::Write(LOG_ERROR, "Kova.Test", "error while disabled");
  EXPECT_EQ(Logger::FilePath(), PathOf(kLog));
  EXPECT_FALSE(fs::exists(PathOf("other.log")));
  EXPECT_EQ(MessagesTagged(kLog, "Kova.Test"),
            (std::vector<std::string>{"warning at level 1", "debug at level 3"}));
  EXPECT_EQ(MessagesTagged(kLog, "Kova.Logger").size(), 3u);  // one session start only
}

TEST_F(LoggerSession, ReopensAfterCloseAndAppends) {
  for (int session = 0; session < 3; ++session) {
    Logger::Open(true, LOG_DEBUG, kLog);
    Logger::Write(LOG_INFO, "Kova.Test", "session %d", session);
    Logger::Close();
  }
  EXPECT_EQ(MessagesTagged(kLog, "Kova.Test"),
            (std::vector<std::string>{"session 0", "session 1", "session 2"}));
  size_t ends = 0;
  for (const std::string& message : MessagesTagged(kLog, "Kova.Logger")) {
    ends += message == kEndBanner;
  }
  EXPECT_EQ(ends, 3u);
}

TEST_F(LoggerSession, ToolAndProviderFileNames) {
  Logger::Open(true, LOG_DEBUG, kConfigToolLogFileName);
  EXPECT_EQ(Logger::FilePath(), PathOf("KovaProviderConfig.log"));
  Logger::Close();
  Logger::Open(true, LOG_DEBUG);
  EXPECT_EQ(Logger::FilePath(), PathOf("KovaVSSHardwareProvider.log"));
}

// ALLUSERSPROFILE of exactly `length` characters, made of real folders.
std::string MakeFolderOfLength(const std::string& base, size_t length) {
  std::string path = base;
  while (path.size() < length) {
    size_t take = std::min<size_t>(201, length - path.size());  // separator and name
    if (length - path.size() - take == 1) --take;               // leave room for one more "/d"
    path += "/" + std::string(take - 1, 'd');
  }
  fs::create_directories(path);
  return path;
}

class LoggerPathLimit : public LoggerFixture {};

TEST_F(LoggerPathLimit, PathOf520CharactersOpensAndOf521StaysClosed) {
  const std::string profile = MakeFolderOfLength(folder_.path(), 400);
  ASSERT_EQ(profile.size(), 400u);
  folder_.Redirect(profile);
  const size_t name_length = 520 - profile.size() - std::string("/KovaStorage/").size();
  const std::string fits(name_length, 'f');
  const std::string too_long(name_length + 1, 'g');

  Logger::Open(true, LOG_DEBUG, too_long);
  Logger::Write(LOG_ERROR, "Kova.Test", "dropped");
  EXPECT_EQ(Logger::FilePath(), "");
  EXPECT_FALSE(fs::exists(profile + "/KovaStorage/" + too_long));

  Logger::Open(true, LOG_DEBUG, fits);
  EXPECT_EQ(Logger::FilePath().size(), 520u);
  EXPECT_TRUE(fs::exists(profile + "/KovaStorage/" + fits));
}

TEST_F(LoggerPathLimit, FolderTooLongCreatesNothing) {
  const std::string profile = MakeFolderOfLength(folder_.path(), 515);
  folder_.Redirect(profile);
  Logger::Open(true, LOG_DEBUG, "x");
  EXPECT_EQ(Logger::FilePath(), "");
  EXPECT_FALSE(fs::exists(profile + "/KovaStorage"));
}

TEST_F(LoggerPathLimit, UnusableFolderLeavesTheLogClosedAndTheProgramRunning) {
  const std::string not_a_folder = folder_.path() + "/plain-file";
  WriteWholeFile(not_a_folder, "x");
  folder_.Redirect(not_a_folder);
  Logger::Open(true, LOG_DEBUG, kLog);
  EXPECT_EQ(Logger::FilePath(), "");
  Logger::Write(LOG_ERROR, "Kova.Test", "dropped");
  Logger::HoldLogOutput();
  Logger::Write(LOG_ERROR, "Kova.Test", "held");
  Logger::ReleaseLogOutput();
  Logger::Close();
  EXPECT_EQ(ReadWholeFile(not_a_folder), "x");
}

}  // namespace
