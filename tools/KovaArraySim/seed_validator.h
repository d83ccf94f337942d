// Checks that a seed describes a consistent array.
#pragma once

#include "tools/KovaArraySim/sim_seed.h"

namespace kova_sim {

// Throws std::invalid_argument naming the offending member (for example
// "snapshots[0].source: unknown volume \"db09\"") when:
// - array.id is not a UUID, array.name or a version is empty, versions is
//   empty or repeats itself;
// - a user lacks a name, password or token, or repeats a name or a token;
// - a volume, host or snapshot suffix breaks IsValidObjectName, a name is
//   used twice, a size is not positive, a serial is malformed or repeated;
// - a snapshot's source is not a seeded volume or its name is not
//   source + "." + suffix;
// - a host identifier is empty or shared with another host;
// - a connection names an unknown host or volume, or repeats itself;
// - a latency breaks ValidateLatency.
void ValidateSeed(const SimSeed& seed);

// The longest latency of either kind, in milliseconds.
inline constexpr int kMaxLatencyMs = 60000;

// Throws std::invalid_argument naming "latency.request_ms" or
// "latency.snapshot_ms" when one is negative or above kMaxLatencyMs.
void ValidateLatency(const SimSeed::Latency& latency);

}  // namespace kova_sim
