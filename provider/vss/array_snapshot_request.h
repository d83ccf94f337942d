// One array's part of a batched CommitSnapshots: the set's records on that
// array, in the set's order, and how its one snapshot request ended.
//
// Threads: SendAll sends the requests of different arrays at the same time,
// each from its own thread and on its own array object; a request touches
// nothing else but the log, so the caller reads the results once SendAll
// has returned.
#pragma once

#include <cstddef>
#include <exception>
#include <string>
#include <vector>

#include "platform/guid.h"

class KovaArray;

class ArraySnapshotRequest {
 public:
  explicit ArraySnapshotRequest(KovaArray* array) : array_(array) {}

  // Adds the record at |record| (an index into the set) for |volume_name|.
  void Add(size_t record, const std::string& volume_name);

  // Sends each request: all but the first on threads of their own, the
  // first on the calling thread; returns when every one has ended. Each
  // request's log lines are kept in its CapturedLog instead of being written.
  static void SendAll(std::vector<ArraySnapshotRequest>& requests, const GUID& snapshot_set_id);

  KovaArray* Array() const { return array_; }
  const std::vector<size_t>& Records() const { return records_; }
  // True when the array answered with every snapshot asked for.
  bool Created() const { return !failure_ && result_ == 0; }
  // What the array library threw, or null.
  std::exception_ptr Failure() const { return failure_; }
  // Per record, in Records() order: the name the array was asked for (empty
  // when the request failed before it was named) and the serial its answer
  // gave ("" when the answer did not confirm it).
  std::string SnapshotName(size_t index) const;
  std::string SnapshotSerial(size_t index) const;
  const std::string& CapturedLog() const { return log_; }

 private:
  void Send(const GUID& snapshot_set_id) noexcept;

  KovaArray* array_;
  std::vector<size_t> records_;
  std::vector<std::string> volumes_;
  std::vector<std::string> names_;
  std::vector<std::string> serials_;
  int result_ = 1;
  std::exception_ptr failure_;
  std::string log_;
};
