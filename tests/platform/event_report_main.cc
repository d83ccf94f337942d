// Reports one event through the system's event log and exits: 0 when the
// log took it. Under Wine the only record of it is the "eventlog" debug
// channel, which tests/service/wine_checks.sh reads.
//   event_report SOURCE TYPE CATEGORY EVENT_ID INSERTION
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/event_log.h"

int main(int argc, char** argv) {
  if (argc != 6) {
    std::fprintf(stderr, "usage: event_report SOURCE TYPE CATEGORY EVENT_ID INSERTION\n");
    return 2;
  }
  platform::EventReport report;
  report.type = std::atoi(argv[2]);
  report.category = std::atoi(argv[3]);
  report.event_id = static_cast<uint32_t>(std::strtoul(argv[4], nullptr, 0));
  report.insertion = argv[5];
  platform::EventLog& log = platform::SystemEventLog();
  platform::EventLog::Source source = log.Register(argv[1]);
  if (source == nullptr) return 1;
  const bool reported = log.Report(source, report);
  log.Deregister(source);
  return reported ? 0 : 1;
}
