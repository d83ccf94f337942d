// An event log that records every event reported and every source
// registered, safe from any thread.
#pragma once

#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "platform/event_log.h"

class RecordingEventLog : public platform::EventLog {
 public:
  Source Register(const std::string& name) override;
  bool Report(Source source, const platform::EventReport& report) override;
  void Deregister(Source source) override;

  std::vector<platform::EventReport> Reports() const;
  // The insertion strings of every event, and of the events with |event_id|.
  std::vector<std::string> Insertions() const;
  std::vector<std::string> Insertions(uint32_t event_id) const;
  // Every source name registered, in order.
  std::vector<std::string> Sources() const;
  void Clear();

 private:
  mutable std::mutex mutex_;
  int registration_ = 0;
  std::vector<std::string> sources_;
  std::vector<platform::EventReport> reports_;
};
