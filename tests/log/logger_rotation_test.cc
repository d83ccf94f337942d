#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "library/log/log_rotation.h"
#include "library/log/logger.h"
#include "tests/log/log_test_support.h"

namespace {

namespace fs = std::filesystem;

constexpr char kLog[] = "rotate.log";

class LoggerRotation : public LoggerFixture {
 protected:
  void SetUp() override {
    LoggerFixture::SetUp();
    fs::create_directories(folder_.LogFolder());
  }
  std::string Generation(int n) const { return PathOf(kLog) + "." + std::to_string(n); }
  void MakeLogOfSize(uint64_t size) const {
    WriteWholeFile(PathOf(kLog), std::string(static_cast<size_t>(size), 'x'));
  }
};

TEST_F(LoggerRotation, ExactlyFiveMebibytesIsNotRotated) {
  MakeLogOfSize(5242880);
  Logger::Open(true, LOG_DEBUG, kLog);
  EXPECT_FALSE(fs::exists(Generation(1)));
  EXPECT_GT(fs::file_size(PathOf(kLog)), 5242880u);  // the session was appended
}

TEST_F(LoggerRotation, OneByteMoreRotatesIntoANewEmptyFile) {
  MakeLogOfSize(5242881);
  Logger::Open(true, LOG_WARN, kLog);  // no banners: the new file stays empty
  EXPECT_EQ(fs::file_size(Generation(1)), 5242881u);
  EXPECT_FALSE(fs::exists(Generation(2)));
  ASSERT_TRUE(fs::exists(PathOf(kLog)));
  EXPECT_EQ(fs::file_size(PathOf(kLog)), 0u);
  EXPECT_EQ(Logger::FilePath(), PathOf(kLog));
}

TEST_F(LoggerRotation, OldestGenerationIsDeletedAndTheOthersMoveUp) {
  for (int n = 1; n <= 5; ++n) WriteWholeFile(Generation(n), "generation " + std::to_string(n));
  MakeLogOfSize(5242881);
  Logger::Open(true, LOG_DEBUG, kLog);
  for (int n = 2; n <= 5; ++n) {
    EXPECT_EQ(ReadWholeFile(Generation(n)), "generation " + std::to_string(n - 1)) << n;
  }
  EXPECT_EQ(fs::file_size(Generation(1)), 5242881u);
  EXPECT_FALSE(fs::exists(Generation(6)));
  EXPECT_EQ(ReadWholeFile(PathOf(kLog)).find('x'), std::string::npos);
}

TEST_F(LoggerRotation, MissingGenerationsAreSkipped) {
  WriteWholeFile(Generation(1), "one");
  WriteWholeFile(Generation(3), "three");
  WriteWholeFile(PathOf(kLog), "current");
  RotateLog(PathOf(kLog));
  EXPECT_EQ(ReadWholeFile(Generation(1)), "current");
  EXPECT_EQ(ReadWholeFile(Generation(2)), "one");
  EXPECT_FALSE(fs::exists(Generation(3)));
  EXPECT_EQ(ReadWholeFile(Generation(4)), "three");
  EXPECT_FALSE(fs::exists(PathOf(kLog)));
}

TEST_F(LoggerRotation, OnlyAtOpenAndOnlyOnce) {
  MakeLogOfSize(5242881);
  Logger::Open(true, LOG_DEBUG, kLog);
  Logger::Open(true, LOG_DEBUG, kLog);  // already open: no second rotation
  EXPECT_FALSE(fs::exists(Generation(2)));
  EXPECT_FALSE(RotateLogIfLarge(PathOf("missing.log")));
}

}  // namespace
