// KovaArraySim: an HTTPS emulator of the storage array's JSON REST API, for
// tests, benchmarks and demos. README.md lists the emulated requests, the
// control endpoints under "/_sim/" and the seed file format.
//
// Thread-safety: every method may be called from any thread while the
// emulator serves requests. Start/Stop must not race each other.
#pragma once

#include <cpprest/json.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "tools/KovaArraySim/array_state.h"
#include "tools/KovaArraySim/cancellable_sleep.h"
#include "tools/KovaArraySim/control_api.h"
#include "tools/KovaArraySim/fault.h"
#include "tools/KovaArraySim/fault_list.h"
#include "tools/KovaArraySim/http_reply.h"
#include "tools/KovaArraySim/latency_model.h"
#include "tools/KovaArraySim/recorded_request.h"
#include "tools/KovaArraySim/request_log.h"
#include "tools/KovaArraySim/rest_api.h"
#include "tools/KovaArraySim/session_table.h"
#include "tools/KovaArraySim/sim_seed.h"
#include "tools/KovaArraySim/user_directory.h"

namespace kova_sim {

class HttpsServer;

class ArraySim {
 public:
  // Throws std::invalid_argument when the seed breaks ValidateSeed's rules.
  explicit ArraySim(SimSeed seed = SimSeed::Default());
  ~ArraySim();  // Stop()
  ArraySim(const ArraySim&) = delete;
  ArraySim& operator=(const ArraySim&) = delete;

  // Reads and validates a seed file; throws std::runtime_error with the
  // path and the offending member on any problem.
  static SimSeed LoadSeedFile(const std::string& path);

  // Serves HTTPS on address:port (0 = ephemeral). Throws std::runtime_error
  // when it cannot listen, std::logic_error when already started. The array
  // keeps its content across Stop and Start.
  void Start(uint16_t port = 0, const std::string& address = "127.0.0.1");
  // Closes every connection and joins every thread; cuts injected delays
  // short. Idempotent.
  void Stop();
  uint16_t Port() const;   // 0 when stopped
  std::string Url() const;  // "https://127.0.0.1:PORT"

  // Faults match requests (not "/_sim/" ones) in injection order. Throws
  // std::invalid_argument for a fault FaultList::Validate refuses.
  void InjectFault(const Fault& fault);
  void ClearFaults();
  // Every live session becomes invalid: its next use answers 401.
  void ExpireSessions();
  // Every request received outside "/_sim/", in arrival order.
  std::vector<RecordedRequest> Requests() const;
  void ClearRequests();
  // {"array", "versions", "volumes", "snapshots", "destroyed", "hosts",
  //  "connections", "sessions": count}.
  web::json::value State() const;

  // Back to |seed| as if just made (the server keeps running): its content,
  // users and latency, no sessions, faults or recorded requests. Throws
  // std::invalid_argument for a seed ValidateSeed refuses, changing nothing.
  void Reset(const SimSeed& seed);

  // Run-time changes for tests; bad input throws std::invalid_argument.
  std::string ArrayId() const;
  void AddUser(const std::string& username, const std::string& password, const std::string& api_token);
  void AddHost(const std::string& name, const std::vector<std::string>& iqn,
               const std::vector<std::string>& wwn);
  std::string AddVolume(const std::string& name, int64_t size);  // returns the serial
  void SetVersions(const std::vector<std::string>& versions);
  size_t SessionCount() const;
  // The answer time of every request the array carries out (faults that
  // answer in its place have none); throws std::invalid_argument for one
  // ValidateLatency refuses. Starts as the seed's.
  void SetLatency(const SimSeed::Latency& latency);
  SimSeed::Latency Latency() const;
  // Requests being handled now, an injected wait included; 0 once every
  // request received has been carried out and answered (or dropped).
  size_t HandlersRunning() const { return handlers_running_; }

 private:
  HttpReply Handle(const RecordedRequest& request);
  HttpReply ApplyFault(const Fault& fault, const RecordedRequest& request);
  // Carries the request out and answers after the latency; Stop() cuts the
  // wait short and drops the connection.
  HttpReply Execute(const RecordedRequest& request);

  ArrayState state_;
  UserDirectory users_;
  SessionTable sessions_;
  FaultList faults_;
  RequestLog log_;
  CancellableSleep delays_;
  LatencyModel latency_;
  RestApi api_;
  ControlApi control_;
  mutable std::mutex lifecycle_mutex_;
  std::unique_ptr<HttpsServer> server_;
  std::string url_host_;
  std::atomic<size_t> handlers_running_{0};
};

}  // namespace kova_sim
