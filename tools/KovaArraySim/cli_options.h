// The command line of the KovaArraySim program.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kova_sim {

struct CliOptions {
  std::string address = "127.0.0.1";
  uint16_t port = 0;      // 0: ephemeral
  std::string seed_file;  // empty: SimSeed::Default()
  std::string port_file;  // empty: none
  std::string request_log_file;  // empty: none; written at exit
  int request_latency_ms = -1;   // -1: the seed's
  int snapshot_latency_ms = -1;  // -1: the seed's
  bool help = false;
};

// Parses the arguments after the program name. Returns false with a
// one-line `error` for an unknown option, a missing value, a bad port or a
// latency outside 0 to kMaxLatencyMs.
bool ParseCliOptions(const std::vector<std::string>& args, CliOptions* options, std::string* error);

std::string CliUsage();

}  // namespace kova_sim
