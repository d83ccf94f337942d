#include <windows.h>

#include "platform/event_log.h"
#include "platform/utf16.h"

namespace platform {
namespace {

std::wstring Wide(const std::string& utf8) {
  const std::u16string utf16 = Utf8ToUtf16(utf8);
  return std::wstring(utf16.begin(), utf16.end());
}

// The message text comes from the source's registered message file; only
// the insertion string travels with the event.
class ApplicationEventLog : public EventLog {
 public:
  // A source needs a name and a report needs a source: Wine would hand
  // out a handle for "" and accept a report on none.
  Source Register(const std::string& name) override {
    if (name.empty()) return nullptr;
    return RegisterEventSourceW(nullptr, Wide(name).c_str());
  }

  bool Report(Source source, const EventReport& report) override {
    if (source == nullptr) return false;
    const std::wstring insertion = Wide(report.insertion);
    const wchar_t* strings[] = {insertion.c_str()};
    return ReportEventW(static_cast<HANDLE>(source), static_cast<WORD>(report.type),
                        static_cast<WORD>(report.category), report.event_id, nullptr, 1, 0, strings,
                        nullptr) != FALSE;
  }

  void Deregister(Source source) override { DeregisterEventSource(static_cast<HANDLE>(source)); }
};

}  // namespace

EventLog& SystemEventLog() {
  static EventLog* const log = new ApplicationEventLog;
  return *log;
}

}  // namespace platform
