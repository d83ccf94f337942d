#include "tools/KovaArraySim/latency_model.h"

#include "tools/KovaArraySim/seed_validator.h"

namespace kova_sim {

LatencyModel::LatencyModel(const SimSeed::Latency& latency) : latency_(latency) {
  ValidateLatency(latency);
}

void LatencyModel::Set(const SimSeed::Latency& latency) {
  ValidateLatency(latency);
  std::lock_guard<std::mutex> lock(mutex_);
  latency_ = latency;
}

SimSeed::Latency LatencyModel::Get() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return latency_;
}

std::chrono::milliseconds LatencyModel::AnswerTime(int snapshots) const {
  const SimSeed::Latency latency = Get();
  return std::chrono::milliseconds(latency.request_ms) +
         std::chrono::milliseconds(latency.snapshot_ms) * snapshots;
}

}  // namespace kova_sim
