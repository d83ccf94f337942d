// JSON forms of the control endpoints' data (README.md, "Control endpoints").
#pragma once

#include <cpprest/json.h>

#include <string>
#include <vector>

#include "tools/KovaArraySim/fault.h"
#include "tools/KovaArraySim/recorded_request.h"
#include "tools/KovaArraySim/sim_seed.h"

namespace kova_sim {

// {"kind": "status" | "raw_body" | "delay" | "drop" | "truncate" |
// "no_session_cookie", and optionally "method", "path_contains", "times",
// "status", "body", "content_type", "delay_ms"}. Throws
// std::invalid_argument naming the member at fault.
Fault FaultFromJson(const web::json::value& json);

// {"request_ms"?, "snapshot_ms"?}: the members given replace those of
// |current|. Throws std::invalid_argument naming the member at fault (not
// an integer, or out of ValidateLatency's range) or an unknown member.
SimSeed::Latency LatencyFromJson(const web::json::value& json, const SimSeed::Latency& current);
// {"versions": [non-empty strings]}. Throws std::invalid_argument naming
// the member at fault or an unknown member.
std::vector<std::string> VersionsFromJson(const web::json::value& json);
// {"request_ms", "snapshot_ms"}.
web::json::value LatencyToJson(const SimSeed::Latency& latency);

// {"method", "target", "body", "headers": {name: value}}.
web::json::value RecordedRequestToJson(const RecordedRequest& request);

}  // namespace kova_sim
