// The wall-clock time in the machine's local time zone, to the millisecond.
// POSIX: clock_gettime(CLOCK_REALTIME) and localtime_r. Windows: GetLocalTime.
#pragma once

namespace platform {

struct LocalTime {
  int year = 0;
  int month = 1;  // 1-12
  int day = 1;    // 1-31
  int hour = 0;   // 0-23
  int minute = 0;
  int second = 0;  // 0-60 (a leap second)
  int millisecond = 0;
};

LocalTime CurrentLocalTime();

}  // namespace platform
