// The emulated array's answer time (SimSeed::Latency), changeable while it
// serves. Thread-safe.
#pragma once

#include <chrono>
#include <mutex>

#include "tools/KovaArraySim/sim_seed.h"

namespace kova_sim {

class LatencyModel {
 public:
  explicit LatencyModel(const SimSeed::Latency& latency);

  // Throws std::invalid_argument for a latency ValidateLatency refuses; the
  // latency in force then stays.
  void Set(const SimSeed::Latency& latency);
  SimSeed::Latency Get() const;
  // The time a request that created |snapshots| snapshots takes to answer.
  std::chrono::milliseconds AnswerTime(int snapshots) const;

 private:
  mutable std::mutex mutex_;
  SimSeed::Latency latency_;
};

}  // namespace kova_sim
