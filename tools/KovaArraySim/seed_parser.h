// Reads the seed file format (README.md) into a SimSeed.
#pragma once

#include <string>

#include "tools/KovaArraySim/sim_seed.h"

namespace kova_sim {

// Parses seed JSON text. Checks syntax, member types and unknown members;
// the consistency rules are ValidateSeed's. Throws std::invalid_argument
// naming the member, for example "volumes[1].size: must be an integer".
SimSeed ParseSeedJson(const std::string& text);

}  // namespace kova_sim
