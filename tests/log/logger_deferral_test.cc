#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "library/log/logger.h"
#include "tests/log/log_test_support.h"

namespace {

constexpr char kLog[] = "deferral.log";

class LoggerDeferral : public LoggerFixture {
 protected:
  void SetUp() override {
    LoggerFixture::SetUp();
    Logger::Open(true, LOG_DEBUG, kLog);
  }
  std::vector<std::string> TestMessages() const { return MessagesTagged(kLog, "Kova.Test"); }
};

TEST_F(LoggerDeferral, HeldLinesReachTheFileOnlyOnReleaseAfterEarlierLines) {
  Logger::Write(LOG_INFO, "Kova.Test", "before");
  Logger::HoldLogOutput();
  const std::string before_hold = ReadWholeFile(PathOf(kLog));
  Logger::Write(LOG_INFO, "Kova.Test", "held %d", 1);
  Logger::Write(LOG_ERROR, "Kova.Test", "held %d", 2);
  Logger::Write(LOG_TRACE, "Kova.Test", "filtered while held");
  EXPECT_EQ(ReadWholeFile(PathOf(kLog)), before_hold);
  Logger::ReleaseLogOutput();
  Logger::Write(LOG_INFO, "Kova.Test", "after");
  EXPECT_EQ(TestMessages(), (std::vector<std::string>{"before", "held 1", "held 2", "after"}));
}

TEST_F(LoggerDeferral, ReleaseWithoutHoldWritesNothingAndTwoReleasesWriteOnce) {
  const std::string start = ReadWholeFile(PathOf(kLog));
  Logger::ReleaseLogOutput();
  EXPECT_EQ(ReadWholeFile(PathOf(kLog)), start);
  Logger::HoldLogOutput();
  Logger::Write(LOG_INFO, "Kova.Test", "once");
  Logger::ReleaseLogOutput();
  Logger::ReleaseLogOutput();
  EXPECT_EQ(TestMessages(), (std::vector<std::string>{"once"}));
}

TEST_F(LoggerDeferral, SecondHoldKeepsWhatIsAlreadyHeld) {
  Logger::HoldLogOutput();
  Logger::Write(LOG_INFO, "Kova.Test", "first");
  Logger::HoldLogOutput();
  Logger::Write(LOG_INFO, "Kova.Test", "second");
  Logger::ReleaseLogOutput();
  EXPECT_EQ(TestMessages(), (std::vector<std::string>{"first", "second"}));
}

TEST_F(LoggerDeferral, CloseWritesHeldLinesBeforeTheEndBanner) {
  Logger::HoldLogOutput();
  Logger::Write(LOG_INFO, "Kova.Test", "held at close");
  Logger::Close();
  const std::vector<std::string> lines = ReadLines(PathOf(kLog));
  ASSERT_GE(lines.size(), 2u);
  EXPECT_EQ(MessageOf(lines[lines.size() - 2]), "held at close");
  EXPECT_NE(MessageOf(lines.back()).find("LOG SESSION ENDED"), std::string::npos);
}

// Threads take turns, so the order in which lines were written is known.
TEST_F(LoggerDeferral, HeldLinesOfSeveralThreadsKeepTheirWriteOrder) {
  constexpr int kThreads = 4;
  constexpr int kLinesPerThread = 25;
  Logger::Write(LOG_INFO, "Kova.Test", "before");
  Logger::HoldLogOutput();
  std::mutex mutex;
  std::condition_variable turn_changed;
  int turn = 0;
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      for (int i = 0; i < kLinesPerThread; ++i) {
        std::unique_lock<std::mutex> lock(mutex);
        turn_changed.wait(lock, [&] { return turn % kThreads == t; });
        Logger::Write(LOG_INFO, "Kova.Test", "line %d", turn);
        ++turn;
        turn_changed.notify_all();
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(TestMessages(), (std::vector<std::string>{"before"}));
  Logger::ReleaseLogOutput();
  std::vector<std::string> expected = {"before"};
  for (int i = 0; i < kThreads * kLinesPerThread; ++i)
    expected.push_back("line " + std::to_string(i));
  EXPECT_EQ(TestMessages(), expected);
}

// Free-running threads: every line arrives whole, each thread's in order.
TEST_F(LoggerDeferral, ConcurrentHeldLinesArriveWholeAndInThreadOrder) {
  constexpr int kThreads = 4;
  constexpr int kLinesPerThread = 200;
  const std::string payload(300, '#');
  Logger::HoldLogOutput();
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      for (int i = 0; i < kLinesPerThread; ++i) {
        Logger::Write(LOG_DEBUG, "Kova.Test", "thread %d line %d %hs end", t, i, payload);
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  Logger::ReleaseLogOutput();
  const std::regex whole("thread ([0-9]) line ([0-9]+) #{300} end");
  std::vector<int> next(kThreads, 0);
  size_t count = 0;
  for (const std::string& message : TestMessages()) {
    std::smatch match;
    ASSERT_TRUE(std::regex_match(message, match, whole)) << message;
    const int thread = std::stoi(match[1].str());
    EXPECT_EQ(std::stoi(match[2].str()), next[thread]++);
    ++count;
  }
  EXPECT_EQ(count, static_cast<size_t>(kThreads * kLinesPerThread));
}

// Each helper thread's lines come out as one block, in the order the
// caller writes the blocks, whatever order the threads ran in.
TEST_F(LoggerDeferral, CapturedLinesReachTheLogOnlyWhereTheCallerPutsThem) {
  Logger::HoldLogOutput();
  Logger::Write(LOG_INFO, "Kova.Test", "caller first");
  std::string first;
  std::string second;
  std::thread late([&] {
    Logger::CaptureThreadLines(&second);
    Logger::Write(LOG_INFO, "Kova.Test", "second %d", 1);
    Logger::Write(LOG_TRACE, "Kova.Test", "filtered as usual");
    Logger::Write(LOG_INFO, "Kova.Test", "second %d", 2);
    Logger::CaptureThreadLines(nullptr);
    Logger::Write(LOG_INFO, "Kova.Test", "not captured");
  });
  late.join();
  std::thread early([&] {
    Logger::CaptureThreadLines(&first);
    Logger::Write(LOG_INFO, "Kova.Test", "first");
    Logger::CaptureThreadLines(nullptr);
  });
  early.join();
  Logger::Write(LOG_INFO, "Kova.Test", "caller second");
  Logger::WriteCapturedLines(first);
  Logger::WriteCapturedLines(second);
  Logger::ReleaseLogOutput();
  Logger::WriteCapturedLines(first);  // not deferring: straight to the file
  EXPECT_EQ(TestMessages(), (std::vector<std::string>{"caller first", "not captured", "caller second", "first",
                                                      "second 1", "second 2", "first"}));
}

}  // namespace
