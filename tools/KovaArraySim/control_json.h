// JSON forms of the control endpoints' data (README.md, "Control endpoints").
#pragma once

#include <cpprest/json.h>

#include "tools/KovaArraySim/fault.h"
#include "tools/KovaArraySim/recorded_request.h"

namespace kova_sim {

// {"kind": "status" | "raw_body" | "delay" | "drop" | "truncate" |
// "no_session_cookie", and optionally "method", "path_contains", "times",
// "status", "body", "content_type", "delay_ms"}. Throws
// std::invalid_argument naming the member at fault.
Fault FaultFromJson(const web::json::value& json);

// {"method", "target", "body", "headers": {name: value}}.
web::json::value RecordedRequestToJson(const RecordedRequest& request);

}  // namespace kova_sim
