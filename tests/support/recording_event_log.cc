#include "tests/support/recording_event_log.h"

platform::EventLog::Source RecordingEventLog::Register(const std::string& name) {
  std::lock_guard<std::mutex> hold(mutex_);
  sources_.push_back(name);
  return &registration_;
}

bool RecordingEventLog::Report(Source /*source*/, const platform::EventReport& report) {
  std::lock_guard<std::mutex> hold(mutex_);
  reports_.push_back(report);
  return true;
}

void RecordingEventLog::Deregister(Source /*source*/) {}

std::vector<platform::EventReport> RecordingEventLog::Reports() const {
  std::lock_guard<std::mutex> hold(mutex_);
  return reports_;
}

std::vector<std::string> RecordingEventLog::Insertions() const {
  std::vector<std::string> texts;
  for (const auto& report : Reports()) texts.push_back(report.insertion);
  return texts;
}

std::vector<std::string> RecordingEventLog::Insertions(uint32_t event_id) const {
  std::vector<std::string> texts;
  for (const auto& report : Reports()) {
    if (report.event_id == event_id) texts.push_back(report.insertion);
  }
  return texts;
}

std::vector<std::string> RecordingEventLog::Sources() const {
  std::lock_guard<std::mutex> hold(mutex_);
  return sources_;
}

void RecordingEventLog::Clear() {
  std::lock_guard<std::mutex> hold(mutex_);
  reports_.clear();
}
