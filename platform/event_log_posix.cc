// The only file that includes <syslog.h>: its LOG_INFO and LOG_DEBUG macros
// would collide with the log's own level names.
#include <syslog.h>

#include <mutex>

#include "platform/event_log.h"

namespace platform {
namespace {

int Priority(int type) {
  switch (type) {
    case kEventTypeError: return LOG_ERR;
    case kEventTypeWarning: return LOG_WARNING;
    default: return LOG_INFO;
  }
}

// syslog's ident is process-wide, so each report opens and closes the log
// under one lock; a registration only remembers the name.
class SyslogEventLog : public EventLog {
 public:
  Source Register(const std::string& name) override {
    if (name.empty()) return nullptr;
    return new std::string(name);
  }

  bool Report(Source source, const EventReport& report) override {
    if (!source) return false;
    const std::string& ident = *static_cast<std::string*>(source);
    const std::string& message = report.text.empty() ? report.insertion : report.text;
    std::lock_guard<std::mutex> hold(mutex_);
    openlog(ident.c_str(), LOG_PID, LOG_USER);
    syslog(Priority(report.type), "Event %u (0x%08X): %s",
           static_cast<unsigned>(report.event_id & 0xFFFF), static_cast<unsigned>(report.event_id),
           message.c_str());
    closelog();
    return true;
  }

  void Deregister(Source source) override { delete static_cast<std::string*>(source); }

 private:
  std::mutex mutex_;
};

}  // namespace

EventLog& SystemEventLog() {
  static EventLog* const log = new SyslogEventLog;  // never destroyed: usable during exit
  return *log;
}

}  // namespace platform
