// The emulator's own endpoints under "/_sim/", for tests that run it out of
// process. They need no session and are not recorded:
//   POST   /_sim/faults           a fault as JSON (README.md)
//   DELETE /_sim/faults
//   POST   /_sim/expire-sessions
//   GET    /_sim/requests         the request log as a JSON list
//   DELETE /_sim/requests
//   GET    /_sim/state
//   GET    /_sim/latency
//   PUT    /_sim/latency          {"request_ms"?, "snapshot_ms"?}
//   PUT    /_sim/versions         {"versions": [...]}: the REST versions offered
//   PUT    /_sim/seed             a seed (the seed file format): the array
//                                 starts again from it
//   GET    /_sim/handlers         {"running": N}: array requests not yet
//                                 answered
#pragma once

#include <string>

#include "tools/KovaArraySim/http_reply.h"
#include "tools/KovaArraySim/recorded_request.h"

namespace kova_sim {

class ArraySim;

class ControlApi {
 public:
  explicit ControlApi(ArraySim& sim);

  static bool IsControlTarget(const std::string& target);
  // Never throws.
  HttpReply Handle(const RecordedRequest& request) const;

 private:
  HttpReply Dispatch(const RecordedRequest& request) const;
  HttpReply AddFault(const RecordedRequest& request) const;
  HttpReply ListRequests() const;
  HttpReply HandlersRunning() const;
  HttpReply SetLatency(const RecordedRequest& request) const;
  HttpReply Reset(const RecordedRequest& request) const;
  HttpReply SetVersions(const RecordedRequest& request) const;

  ArraySim& sim_;
};

}  // namespace kova_sim
