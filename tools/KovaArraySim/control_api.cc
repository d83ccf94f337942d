#include "tools/KovaArraySim/control_api.h"

#include <exception>
#include <stdexcept>

#include "tools/KovaArraySim/array_sim.h"
#include "tools/KovaArraySim/control_json.h"
#include "tools/KovaArraySim/seed_parser.h"
#include "tools/KovaArraySim/sim_json.h"

namespace kova_sim {
namespace {

const char kPrefix[] = "/_sim/";

HttpReply Done(const std::string& message) {
  web::json::value body = web::json::value::object();
  body["msg"] = web::json::value::string(message);
  return JsonReply(200, body);
}

// Hands the request's JSON object to |apply|; a body that is none, or an
// std::invalid_argument from |apply|, answers 400 with the reason.
template <typename Apply>
HttpReply WithJsonObject(const RecordedRequest& request, Apply apply) {
  std::string problem;
  std::optional<web::json::value> body = ParseJsonObject(request.body, false, &problem);
  if (!body) return ErrorReply(400, problem);
  try {
    return apply(*body);
  } catch (const std::invalid_argument& e) {
    return ErrorReply(400, e.what());
  }
}

}  // namespace

ControlApi::ControlApi(ArraySim& sim) : sim_(sim) {}

bool ControlApi::IsControlTarget(const std::string& target) {
  return target.compare(0, sizeof(kPrefix) - 1, kPrefix) == 0 || target == "/_sim";
}

HttpReply ControlApi::Handle(const RecordedRequest& request) const {
  try {
    return Dispatch(request);
  } catch (const std::exception& e) {
    return ErrorReply(500, std::string("Internal error: ") + e.what());
  }
}

HttpReply ControlApi::Dispatch(const RecordedRequest& request) const {
  const std::string path = request.target.substr(0, request.target.find('?'));
  const std::string& method = request.method;
  if (path == "/_sim/faults" && method == "POST") return AddFault(request);
  if (path == "/_sim/faults" && method == "DELETE") {
    sim_.ClearFaults();
    return Done("Faults cleared.");
  }
  if (path == "/_sim/expire-sessions" && method == "POST") {
    sim_.ExpireSessions();
    return Done("Sessions expired.");
  }
  if (path == "/_sim/requests" && method == "GET") return ListRequests();
  if (path == "/_sim/requests" && method == "DELETE") {
    sim_.ClearRequests();
    return Done("Request log cleared.");
  }
  if (path == "/_sim/state" && method == "GET") return JsonReply(200, sim_.State());
  if (path == "/_sim/latency" && method == "GET") return JsonReply(200, LatencyToJson(sim_.Latency()));
  if (path == "/_sim/latency" && method == "PUT") return SetLatency(request);
  if (path == "/_sim/seed" && method == "PUT") return Reset(request);
  if (path == "/_sim/versions" && method == "PUT") return SetVersions(request);
  if (path == "/_sim/handlers" && method == "GET") return HandlersRunning();
  for (const char* known : {"/_sim/faults", "/_sim/expire-sessions", "/_sim/requests", "/_sim/state",
                            "/_sim/latency", "/_sim/seed", "/_sim/versions", "/_sim/handlers"}) {
    if (path == known) return ErrorReply(405, "Method not allowed.");
  }
  return ErrorReply(404, "Unknown emulator control resource.");
}

HttpReply ControlApi::ListRequests() const {
  const std::vector<RecordedRequest> requests = sim_.Requests();
  web::json::value list = web::json::value::array(requests.size());
  for (size_t i = 0; i < requests.size(); ++i) list[i] = RecordedRequestToJson(requests[i]);
  return JsonReply(200, list);
}

HttpReply ControlApi::HandlersRunning() const {
  web::json::value running = web::json::value::object();
  running["running"] = web::json::value::number(static_cast<uint64_t>(sim_.HandlersRunning()));
  return JsonReply(200, running);
}

HttpReply ControlApi::AddFault(const RecordedRequest& request) const {
  return WithJsonObject(request, [this](const web::json::value& body) {
    sim_.InjectFault(FaultFromJson(body));
    return Done("Fault added.");
  });
}

HttpReply ControlApi::SetLatency(const RecordedRequest& request) const {
  return WithJsonObject(request, [this](const web::json::value& body) {
    const SimSeed::Latency latency = LatencyFromJson(body, sim_.Latency());
    sim_.SetLatency(latency);
    return JsonReply(200, LatencyToJson(latency));
  });
}

HttpReply ControlApi::Reset(const RecordedRequest& request) const {
  try {
    sim_.Reset(ParseSeedJson(request.body));
  } catch (const std::invalid_argument& e) {
    return ErrorReply(400, e.what());
  }
  return Done("Array reset.");
}

HttpReply ControlApi::SetVersions(const RecordedRequest& request) const {
  return WithJsonObject(request, [this](const web::json::value& body) {
    sim_.SetVersions(VersionsFromJson(body));
    return Done("Versions set.");
  });
}

}  // namespace kova_sim
