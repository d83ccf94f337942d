#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "library/log/event_catalogue.h"
#include "library/log/logger.h"
#include "platform/event_log.h"
#include "tests/log/log_test_support.h"

namespace {

constexpr char kLog[] = "event.log";

// Records what reaches the event log.
class RecordingEventLog : public platform::EventLog {
 public:
  Source Register(const std::string& name) override {
    registered_names.push_back(name);
    return refuse_registration ? nullptr : &registrations;
  }
  bool Report(Source source, const platform::EventReport& report) override {
    EXPECT_EQ(source, &registrations);
    reports.push_back(report);
    return true;
  }
  void Deregister(Source source) override {
    EXPECT_EQ(source, &registrations);
    ++deregistrations;
  }

  bool refuse_registration = false;
  int registrations = 0;
  int deregistrations = 0;
  std::vector<std::string> registered_names;
  std::vector<platform::EventReport> reports;
};

class LogEventReporting : public LoggerFixture {
 protected:
  void SetUp() override {
    LoggerFixture::SetUp();
    SetEventLog(&events_);
  }
  void TearDown() override {
    SetEventLog(nullptr);
    LoggerFixture::TearDown();
  }
  std::vector<std::string> EventLines() const { return MessagesTagged(kLog, "Kova.KovaProvider"); }

  RecordingEventLog events_;
};

TEST_F(LogEventReporting, ReportsTheEventAndLogsItsIdentifierAsSignedDecimal) {
  Logger::Open(true, LOG_DEBUG, kLog);
  LogEvent(kCategoryUserError, kEventTypeError, kEventCallerNotAdministrator, "");
  ASSERT_EQ(events_.reports.size(), 1u);
  const platform::EventReport& report = events_.reports[0];
  EXPECT_EQ(report.type, 1);
  EXPECT_EQ(report.category, 1);
  EXPECT_EQ(report.event_id, 0xC0003000u);
  EXPECT_EQ(report.insertion, "");
  EXPECT_EQ(report.text, "Caller does not have administrative privileges.");
  EXPECT_EQ(events_.registered_names, std::vector<std::string>{"KovaProvider"});
  EXPECT_EQ(events_.deregistrations, 1);
  EXPECT_EQ(EventLines(),
            std::vector<std::string>{"LogEvent: Code=1, msgCat=1, msgCode=-1073729536, Msg="});
  EXPECT_EQ(LetterOf(ReadLines(PathOf(kLog)).back()), 'D');
}

TEST_F(LogEventReporting, FormatsTheInsertionStringFromNarrowAndWideArguments) {
  Logger::Open(true, LOG_DEBUG, kLog);
  LogEvent(kCategoryUserError, kEventTypeError, kEventSnapshotCreationFailed,
           "Internal Error. No Lumenstack owns the volume '%hs'. Please, restart the "
           "KovaProvider service and try again!",
           std::string("vol-1"));
  LogEvent(kCategoryUserError, kEventTypeError, kEventArrayUnreachable, "Array name:%ls",
           std::wstring(L"array\u00e9"));
  LogEvent(kCategoryUserInformation, kEventTypeInformation, kEventSnapshotCreated,
           L"Successfully created snapshot for Kova Storage volume '%hs'", "vol-2");
  ASSERT_EQ(events_.reports.size(), 3u);
  EXPECT_EQ(events_.reports[0].text,
            "Snapshot creation failed. Internal Error. No Lumenstack owns the volume 'vol-1'. "
            "Please, restart the KovaProvider service and try again! Contact Kova Storage "
            "Support.");
  EXPECT_EQ(events_.reports[1].insertion, "Array name:array\xC3\xA9");
  EXPECT_EQ(events_.reports[1].event_id, 0x80003018u);
  EXPECT_EQ(events_.reports[2].insertion,
            "Successfully created snapshot for Kova Storage volume 'vol-2'");
  EXPECT_EQ(events_.reports[2].type, 4);
  EXPECT_EQ(events_.reports[2].category, 2);
  const std::vector<std::string> lines = EventLines();
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[1],
            "LogEvent: Code=1, msgCat=1, msgCode=-2147471336, Msg=Array name:array\xC3\xA9");
  EXPECT_EQ(lines[2],
            "LogEvent: Code=4, msgCat=2, msgCode=1073754129, Msg=Successfully created snapshot "
            "for Kova Storage volume 'vol-2'");
}

TEST_F(LogEventReporting, FailedRegistrationIsLoggedAndNothingReported) {
  events_.refuse_registration = true;
  Logger::Open(true, LOG_DEBUG, kLog);
  LogEvent(kCategoryUserError, kEventTypeWarning, kEventPlexSnapshotsUnsupported, "");
  EXPECT_TRUE(events_.reports.empty());
  EXPECT_EQ(events_.deregistrations, 0);
  EXPECT_EQ(EventLines(), std::vector<std::string>{"LogEvent: RegisterEventSource FAILED!"});
}

TEST_F(LogEventReporting, EventsAreReportedWhateverTheLogLevel) {
  Logger::Open(true, LOG_INFO, kLog);
  LogEvent(kCategoryUserError, kEventTypeError, kEventResyncFailed, "Resync Failed: %hs", "x");
  Logger::Close();
  LogEvent(kCategoryUserError, kEventTypeError, kEventResyncFailed, "closed");
  ASSERT_EQ(events_.reports.size(), 2u);
  EXPECT_EQ(events_.reports[0].insertion, "Resync Failed: x");
  EXPECT_EQ(events_.reports[1].text, "closed Contact Kova Storage Support.");
  EXPECT_TRUE(EventLines().empty());
}

TEST(LogSystemEventLog, RegistersNamedSourcesAndReports) {
  platform::EventLog& log = platform::SystemEventLog();
  EXPECT_EQ(log.Register(""), nullptr);
  const platform::EventLog::Source source = log.Register("KovaProvider");
  ASSERT_NE(source, nullptr);
  platform::EventReport report;
  report.type = platform::kEventTypeInformation;
  report.event_id = kEventSnapshotCreated;
  report.insertion = "kova log test event";
  EXPECT_TRUE(log.Report(source, report));
  log.Deregister(source);
  EXPECT_FALSE(log.Report(nullptr, report));
}

}  // namespace
