// One line of the diagnostic log: "%hs %04X %c %hs %hs\n" with the local
// time stamp, the thread identifier, the level letter, the component tag and
// the message, e.g.
//   Apr 14 16:23:12.045 0A1C I Kova.Logger LogLevel: 3, LogFileName: ...
#pragma once

#include <cstdint>
#include <string>

#include "platform/local_time.h"

// E, W, I, D for the levels 0-3; T for every other level.
char LogLevelLetter(int level);

// "Mon D HH:MM:SS.mmm": English month abbreviation, day without padding, no
// year. A month outside 1-12 shows as "???".
std::string FormatLogTimeStamp(const platform::LocalTime& time);

// The whole line, ending with "\n". A null tag prints "(null)".
std::string FormatLogLine(const platform::LocalTime& time, uint32_t thread_id, int level,
                          const char* tag, const std::string& message);
