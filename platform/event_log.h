// The machine's event log, to which a program reports events under a named
// source: register the source, report, deregister.
//
// Windows: the Application event log (RegisterEventSourceW, ReportEventW,
// DeregisterEventSource); the event viewer renders the message from the
// source's message file and the insertion string, so `text` is not used.
// POSIX: syslog(3) with the source name as ident, facility LOG_USER, the
// priority LOG_ERR, LOG_WARNING or LOG_INFO for an error, warning or
// information event, and `text` (or the insertion string when `text` is
// empty) as the message, prefixed with the event identifier.
//
// Implementations are safe to use from several threads.
#pragma once

#include <cstdint>
#include <string>

namespace platform {

inline constexpr int kEventTypeError = 1;
inline constexpr int kEventTypeWarning = 2;
inline constexpr int kEventTypeInformation = 4;

struct EventReport {
  int type = kEventTypeError;  // kEventType...
  int category = 0;
  uint32_t event_id = 0;
  std::string insertion;  // the one insertion string, UTF-8
  std::string text;       // the rendered message, for logs without a message file
};

class EventLog {
 public:
  using Source = void*;

  virtual ~EventLog() = default;

  // Registers `name` on the local machine; nullptr when that fails.
  virtual Source Register(const std::string& name) = 0;
  // Reports one event; false when the log refuses it.
  virtual bool Report(Source source, const EventReport& report) = 0;
  // Ends a registration; `source` must not be used afterwards.
  virtual void Deregister(Source source) = 0;
};

// The operating system's event log, alive for the whole process.
EventLog& SystemEventLog();

}  // namespace platform
