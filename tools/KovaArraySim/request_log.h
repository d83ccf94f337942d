// Every request the emulator received, in arrival order. Thread-safe.
#pragma once

#include <deque>
#include <mutex>
#include <vector>

#include "tools/KovaArraySim/recorded_request.h"

namespace kova_sim {

class RequestLog {
 public:
  // Keeps the newest kMaxEntries requests so a long benchmark cannot
  // exhaust memory.
  static constexpr size_t kMaxEntries = 100000;

  void Append(const RecordedRequest& request);
  std::vector<RecordedRequest> All() const;
  void Clear();

 private:
  mutable std::mutex mutex_;
  std::deque<RecordedRequest> entries_;
};

}  // namespace kova_sim
