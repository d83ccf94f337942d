// The process-wide diagnostic log: a text file of time-stamped lines in
// "<common application data>/KovaStorage/", one per program, and the
// reporting of events to the machine's event log.
//
// Levels: a line is written when the level given to Open is >= the line's
// level (signed), so a negative setting writes nothing. Each line is built
// whole and reaches the file in one write; nothing is buffered in between.
// Deferred mode (HoldLogOutput .. ReleaseLogOutput) collects lines in memory
// instead and writes them out in one piece.
//
// Threads: any thread may write at any time. One recursive lock serialises
// lines, deferral, closing and event reporting; it is taken before the level
// test and is always the innermost lock of the caller. It lives for the
// whole process, so the log may be opened again after Close.
//
// The log never reports its own failures: a line that cannot be formatted,
// built or written is lost. When the file cannot be opened (folder not
// writable, path longer than kMaxLogPathLength) the log stays closed and
// lines are dropped.
#pragma once

#include <cstdint>
#include <exception>
#include <mutex>
#include <string>

#include "library/log/event_catalogue.h"
#include "library/log/printf_format.h"

namespace platform {
class EventLog;
}

enum LogLevel { LOG_ERROR = 0, LOG_WARN = 1, LOG_INFO = 2, LOG_DEBUG = 3, LOG_TRACE = 4 };

inline constexpr char kProviderLogFileName[] = "KovaVSSHardwareProvider.log";
inline constexpr char kConfigToolLogFileName[] = "KovaProviderConfig.log";

// Characters (UTF-16 units, as Windows counts them) a log path may have.
inline constexpr size_t kMaxLogPathLength = 520;

class Logger {
 public:
  // Sets enabled and level. When enabled and no file is open, rotates the
  // file if it is larger than 5 MiB, opens it for appending and writes the
  // session banners. A second Open while the file is open only changes the
  // settings.
  static void Open(bool enabled, int level, const std::string& file_name = kProviderLogFileName);

  // Writes one line. `format` is printf-style (see printf_format.h): narrow
  // and wide strings alike go with "%hs", "%ls" or "%s".
  template <typename... Args>
  static void Write(int level, const char* tag, const char* format, const Args&... args) {
    std::lock_guard<std::recursive_mutex> hold(Lock());
    if (!Accepts(level)) return;  // filtered lines are never formatted
    std::string message;
    try {
      message = FormatPrintf(format, {FormatArg(args)...});
    } catch (const std::exception&) {
      return;
    }
    WriteMessage(level, tag, message);
  }

  // Whether a line of |level| would be written now; lets callers skip
  // building costly arguments for lines that are filtered out.
  static bool Writes(int level) {
    std::lock_guard<std::recursive_mutex> hold(Lock());
    return Accepts(level);
  }

  // Writes deferred lines still held, the end banner, and closes the file.
  // Nothing is written afterwards until the next Open.
  static void Close();

  // Starts deferring lines; a second call while deferring does nothing.
  static void HoldLogOutput();
  // Writes the deferred lines in one piece and stops deferring. Without
  // deferral it does nothing. Without an open file the deferred lines are
  // discarded and deferral stays on.
  static void ReleaseLogOutput();

  // The full path of the open log file; "" when none is open.
  static std::string FilePath();

  // From now on the lines this thread writes (after the usual level test)
  // are appended whole to |sink| instead of going to the file or the
  // deferred lines, until the thread calls it again with null. Lets work
  // spread over threads reach the log in an order of the caller's choosing.
  // Returns the sink it replaces.
  static std::string* CaptureThreadLines(std::string* sink);
  // Writes lines captured earlier, unchanged, where a line would go now.
  static void WriteCapturedLines(const std::string& lines);

 private:
  friend void ReportLogEvent(int category, int type, uint32_t event_id, const std::string& message);

  static std::recursive_mutex& Lock();
  static bool Accepts(int level);  // under the lock
  static void WriteMessage(int level, const char* tag, const std::string& message);
  static void WriteBanners(int level, const std::string& path);
};

// LogEvent with the insertion string already made.
void ReportLogEvent(int category, int type, uint32_t event_id, const std::string& message);

// Reports an event under the source "KovaProvider": `format` and `args`
// make the one insertion string (see printf_format.h; the format may be
// narrow or wide). Also writes a LOG_DEBUG line "LogEvent: Code=..., msgCat=
// ..., msgCode=..., Msg=..." with the identifier as a signed decimal. When
// the source cannot be registered only "LogEvent: RegisterEventSource
// FAILED!" is logged.
template <typename CharT, typename... Args>
void LogEvent(int category, int type, uint32_t event_id, const CharT* format, const Args&... args) {
  std::string message;
  try {
    message = FormatPrintf(format, {FormatArg(args)...});
  } catch (const std::exception&) {
    return;
  }
  ReportLogEvent(category, type, event_id, message);
}

// Sends events to `event_log` (not owned) instead of the system's event
// log; nullptr restores the system's. For tests that watch the events.
void SetEventLog(platform::EventLog* event_log);
