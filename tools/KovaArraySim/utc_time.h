// Timestamps in the array's "created" form.
#pragma once

#include <chrono>
#include <string>

namespace kova_sim {

// "YYYY-MM-DDTHH:MM:SSZ" in UTC. Thread-safe (no C library time calls).
std::string UtcTimestamp(std::chrono::system_clock::time_point time);

}  // namespace kova_sim
