#include "provider/vss/array_snapshot_request.h"

#include <system_error>
#include <thread>

#include "library/log/logger.h"
#include "library/rest/kova_array.h"

void ArraySnapshotRequest::Add(size_t record, const std::string& volume_name) {
  records_.push_back(record);
  volumes_.push_back(volume_name);
}

void ArraySnapshotRequest::SendAll(std::vector<ArraySnapshotRequest>& requests,
                                   const GUID& snapshot_set_id) {
  std::vector<std::thread> threads;
  threads.reserve(requests.size());  // no reallocation once threads run
  for (size_t i = 1; i < requests.size(); ++i) {
    ArraySnapshotRequest& request = requests[i];
    try {
      threads.emplace_back([&request, &snapshot_set_id] { request.Send(snapshot_set_id); });
    } catch (const std::system_error&) {
      request.Send(snapshot_set_id);  // no thread to be had: in turn, still correct
    }
  }
  if (!requests.empty()) requests.front().Send(snapshot_set_id);
  for (std::thread& thread : threads) thread.join();
}

void ArraySnapshotRequest::Send(const GUID& snapshot_set_id) noexcept {
  std::string* const previous = Logger::CaptureThreadLines(&log_);
  try {
    result_ = array_->CreateSnapshots(volumes_, snapshot_set_id, names_, serials_);
  } catch (...) {
    failure_ = std::current_exception();
  }
  Logger::CaptureThreadLines(previous);
}

std::string ArraySnapshotRequest::SnapshotName(size_t index) const {
  return index < names_.size() ? names_[index] : std::string();
}

std::string ArraySnapshotRequest::SnapshotSerial(size_t index) const {
  return index < serials_.size() ? serials_[index] : std::string();
}
