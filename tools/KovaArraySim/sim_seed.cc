#include "tools/KovaArraySim/sim_seed.h"

namespace kova_sim {

SimSeed SimSeed::Default() {
  SimSeed seed;
  seed.array_id = "6f1c2a9e-4b7d-4c3a-9e25-8d0b7a4f1e63";
  seed.array_name = "kova-sim-01";
  seed.versions = {"1.0", "1.1", "1.2"};
  seed.users = {{"admin", "admin-password", "3b9c7e10-5d2a-4f8e-a6c1-0e4d9b72f5a8"}};
  constexpr int64_t kGiB = int64_t{1} << 30;
  seed.volumes = {{"db01", 1024 * kGiB, ""}, {"db02", 512 * kGiB, ""}, {"logs01", 100 * kGiB, ""}};
  seed.hosts = {{"vss-host",
                 {"iqn.1994-05.com.example:vss-host"},
                 {"21000024FF4C2A10", "21000024FF4C2A11"}}};
  return seed;
}

}  // namespace kova_sim
