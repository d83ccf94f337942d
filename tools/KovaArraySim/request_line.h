// A one-line, secret-free description of a recorded request, for the
// program's --request-log file.
#pragma once

#include <string>

#include "tools/KovaArraySim/recorded_request.h"

namespace kova_sim {

// "METHOD target", then, when there is a body, a blank and the body as
// compact JSON with the string values of top-level "api_token" and
// "password" members replaced by as many '*'. A body that is not JSON is
// shown as "<N bytes>".
std::string DescribeRequest(const RecordedRequest& request);

}  // namespace kova_sim
