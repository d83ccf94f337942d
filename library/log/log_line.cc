#include "library/log/log_line.h"

#include <cstdio>

char LogLevelLetter(int level) {
  switch (level) {
    case 0: return 'E';
    case 1: return 'W';
    case 2: return 'I';
    case 3: return 'D';
    default: return 'T';
  }
}

std::string FormatLogTimeStamp(const platform::LocalTime& time) {
  static const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                        "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  const char* month = time.month >= 1 && time.month <= 12 ? kMonths[time.month - 1] : "???";
  char buffer[64];
  const int length = std::snprintf(buffer, sizeof buffer, "%s %d %02d:%02d:%02d.%03d", month,
                                   time.day, time.hour, time.minute, time.second, time.millisecond);
  return length > 0 ? std::string(buffer, static_cast<size_t>(length)) : std::string();
}

std::string FormatLogLine(const platform::LocalTime& time, uint32_t thread_id, int level,
                          const char* tag, const std::string& message) {
  char thread[16];
  std::snprintf(thread, sizeof thread, "%04X", static_cast<unsigned>(thread_id));
  const char* shown_tag = tag ? tag : "(null)";
  std::string line;
  line.reserve(message.size() + 128);
  line += FormatLogTimeStamp(time);
  line += ' ';
  line += thread;
  line += ' ';
  line += LogLevelLetter(level);
  line += ' ';
  line += shown_tag;
  line += ' ';
  line += message;
  line += '\n';
  return line;
}
