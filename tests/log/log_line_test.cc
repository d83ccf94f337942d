#include "library/log/log_line.h"

#include <gtest/gtest.h>

namespace {

platform::LocalTime Time(int month, int day, int hour, int minute, int second, int ms) {
  platform::LocalTime time;
  time.year = 2016;
  time.month = month;
  time.day = day;
  time.hour = hour;
  time.minute = minute;
  time.second = second;
  time.millisecond = ms;
  return time;
}

TEST(LogLine, LevelLetters) {
  EXPECT_EQ(LogLevelLetter(0), 'E');
  EXPECT_EQ(LogLevelLetter(1), 'W');
  EXPECT_EQ(LogLevelLetter(2), 'I');
  EXPECT_EQ(LogLevelLetter(3), 'D');
  EXPECT_EQ(LogLevelLetter(4), 'T');
  EXPECT_EQ(LogLevelLetter(7), 'T');
  EXPECT_EQ(LogLevelLetter(-1), 'T');
}

TEST(LogLine, TimeStampHasMonthNameUnpaddedDayAndMilliseconds) {
  EXPECT_EQ(FormatLogTimeStamp(Time(4, 14, 16, 23, 12, 45)), "Apr 14 16:23:12.045");
  EXPECT_EQ(FormatLogTimeStamp(Time(1, 5, 9, 3, 7, 1)), "Jan 5 09:03:07.001");
  EXPECT_EQ(FormatLogTimeStamp(Time(12, 31, 23, 59, 59, 999)), "Dec 31 23:59:59.999");
  EXPECT_EQ(FormatLogTimeStamp(Time(13, 1, 0, 0, 0, 0)), "??? 1 00:00:00.000");
}

TEST(LogLine, FieldsInOrderWithPaddedUpperCaseThreadId) {
  EXPECT_EQ(FormatLogLine(Time(4, 14, 16, 23, 12, 45), 0xA1C, 2, "Kova.Logger", "LogLevel: 3"),
            "Apr 14 16:23:12.045 0A1C I Kova.Logger LogLevel: 3\n");
  EXPECT_EQ(FormatLogLine(Time(6, 2, 1, 2, 3, 4), 0x12345abc, 0, "Kova.REST", ""),
            "Jun 2 01:02:03.004 12345ABC E Kova.REST \n");
  EXPECT_EQ(FormatLogLine(Time(6, 2, 1, 2, 3, 4), 7, 9, nullptr, "m"),
            "Jun 2 01:02:03.004 0007 T (null) m\n");
}

}  // namespace
