// The JSON forms of the emulator's control data as a client sends and
// reads them (tools/KovaArraySim/README.md, "Control endpoints" and "Seed
// file"), in the library's own text type on every system.
#pragma once

#include <cpprest/json.h>

#include <vector>

#include "tools/KovaArraySim/fault.h"
#include "tools/KovaArraySim/recorded_request.h"
#include "tools/KovaArraySim/sim_seed.h"

namespace remote_sim {

web::json::value SeedToJson(const kova_sim::SimSeed& seed);
web::json::value FaultToJson(const kova_sim::Fault& fault);
// GET /_sim/requests's answer; throws web::json::json_exception for
// another shape.
std::vector<kova_sim::RecordedRequest> RequestsFromJson(const web::json::value& list);

}  // namespace remote_sim
