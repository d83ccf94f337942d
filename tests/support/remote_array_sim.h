// An array emulator (KovaArraySim) running in another process on
// 127.0.0.1, driven through its "/_sim/" control endpoints with the calls
// of kova_sim::ArraySim that tests use. The Windows test binaries use it:
// the emulator is a Linux program, started for each test run by
// scripts/with-array-sim.sh, which names the emulators it started in
// KOVA_ARRAY_SIM_URLS (separated by spaces). Each object in a process
// takes one of them until it goes away.
#pragma once

#include <cpprest/json.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "tools/KovaArraySim/fault.h"
#include "tools/KovaArraySim/recorded_request.h"
#include "tools/KovaArraySim/sim_seed.h"

namespace web {
namespace http {
namespace client {
class http_client;
}  // namespace client
}  // namespace http
}  // namespace web

class RemoteArraySim {
 public:
  // Throws std::runtime_error when every emulator given is taken, or none is.
  explicit RemoteArraySim(kova_sim::SimSeed seed = kova_sim::SimSeed::Default());
  ~RemoteArraySim();
  RemoteArraySim(const RemoteArraySim&) = delete;
  RemoteArraySim& operator=(const RemoteArraySim&) = delete;

  // Why no emulator can be reached from this process, or nullptr.
  static const char* Unavailable();

  // The emulator starts again from the seed: its content, users and
  // latency, with no sessions, faults or recorded requests. Throws
  // std::runtime_error when it refuses.
  void Start();
  // Throws std::logic_error: the emulator keeps the port it was started on.
  void Start(uint16_t port);
  // The program keeps serving; nothing is to be done.
  void Stop() {}
  std::string Url() const { return url_; }
  uint16_t Port() const;

  // Each throws std::runtime_error when the emulator refuses the call.
  void InjectFault(const kova_sim::Fault& fault);
  void ClearFaults();
  void ExpireSessions();
  std::vector<kova_sim::RecordedRequest> Requests() const;
  void ClearRequests();
  web::json::value State() const;
  void SetLatency(const kova_sim::SimSeed::Latency& latency);
  void SetVersions(const std::vector<std::string>& versions);
  size_t SessionCount() const;
  size_t HandlersRunning() const;

 private:
  web::json::value Call(const std::string& method, const std::string& path,
                        const web::json::value* body = nullptr) const;

  kova_sim::SimSeed seed_;
  size_t slot_;
  std::string url_;
  std::unique_ptr<web::http::client::http_client> client_;
};
