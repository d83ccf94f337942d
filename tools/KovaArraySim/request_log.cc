#include "tools/KovaArraySim/request_log.h"

namespace kova_sim {

void RequestLog::Append(const RecordedRequest& request) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (entries_.size() >= kMaxEntries) entries_.pop_front();
  entries_.push_back(request);
}

std::vector<RecordedRequest> RequestLog::All() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return std::vector<RecordedRequest>(entries_.begin(), entries_.end());
}

void RequestLog::Clear() {
  std::lock_guard<std::mutex> lock(mutex_);
  entries_.clear();
}

}  // namespace kova_sim
