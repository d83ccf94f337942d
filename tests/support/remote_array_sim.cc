#include "tests/support/remote_array_sim.h"

#include <cpprest/http_client.h>

#include <mutex>
#include <sstream>
#include <stdexcept>

#include "tests/support/remote_array_sim_json.h"
#include "tests/support/test_environment.h"
#include "tests/support/wide_text.h"

namespace {

constexpr char kUrlsVariable[] = "KOVA_ARRAY_SIM_URLS";

std::vector<std::string> EmulatorUrls() {
  std::vector<std::string> urls;
  std::istringstream words(GetTestEnv(kUrlsVariable).value_or(""));
  for (std::string url; words >> url;) urls.push_back(url);
  return urls;
}

std::mutex g_slots_mutex;
std::vector<bool> g_taken;

size_t TakeSlot(size_t count) {
  std::lock_guard<std::mutex> lock(g_slots_mutex);
  g_taken.resize(count > g_taken.size() ? count : g_taken.size(), false);
  for (size_t slot = 0; slot < count; ++slot) {
    if (!g_taken[slot]) {
      g_taken[slot] = true;
      return slot;
    }
  }
  throw std::runtime_error(count == 0 ? std::string("no array emulator: ") + kUrlsVariable + " is not set"
                                      : "every array emulator of " + std::string(kUrlsVariable) + " is in use");
}

void ReleaseSlot(size_t slot) {
  std::lock_guard<std::mutex> lock(g_slots_mutex);
  g_taken[slot] = false;
}

}  // namespace

RemoteArraySim::RemoteArraySim(kova_sim::SimSeed seed) : seed_(std::move(seed)) {
  const std::vector<std::string> urls = EmulatorUrls();
  slot_ = TakeSlot(urls.size());
  url_ = urls[slot_];
  web::http::client::http_client_config config;
  config.set_validate_certificates(false);  // the emulator's certificate is self-signed
  config.set_timeout(std::chrono::seconds(30));
  client_ = std::make_unique<web::http::client::http_client>(Wide(url_), config);
}

RemoteArraySim::~RemoteArraySim() { ReleaseSlot(slot_); }

const char* RemoteArraySim::Unavailable() {
  return EmulatorUrls().empty() ? "no array emulator runs beside this test: KOVA_ARRAY_SIM_URLS is not set"
                                : nullptr;
}

uint16_t RemoteArraySim::Port() const {
  return static_cast<uint16_t>(std::stoi(url_.substr(url_.rfind(':') + 1)));
}

void RemoteArraySim::Start() {
  const web::json::value seed = remote_sim::SeedToJson(seed_);
  Call("PUT", "/_sim/seed", &seed);
}

void RemoteArraySim::Start(uint16_t port) {
  throw std::logic_error("the array emulator at " + url_ + " cannot move to port " + std::to_string(port));
}

void RemoteArraySim::InjectFault(const kova_sim::Fault& fault) {
  const web::json::value json = remote_sim::FaultToJson(fault);
  Call("POST", "/_sim/faults", &json);
}

void RemoteArraySim::ClearFaults() { Call("DELETE", "/_sim/faults"); }

void RemoteArraySim::ExpireSessions() { Call("POST", "/_sim/expire-sessions"); }

std::vector<kova_sim::RecordedRequest> RemoteArraySim::Requests() const {
  return remote_sim::RequestsFromJson(Call("GET", "/_sim/requests"));
}

void RemoteArraySim::ClearRequests() { Call("DELETE", "/_sim/requests"); }

web::json::value RemoteArraySim::State() const { return Call("GET", "/_sim/state"); }

size_t RemoteArraySim::SessionCount() const {
  return static_cast<size_t>(State().at(U("sessions")).as_integer());
}

size_t RemoteArraySim::HandlersRunning() const {
  return static_cast<size_t>(Call("GET", "/_sim/handlers").at(U("running")).as_integer());
}

void RemoteArraySim::SetLatency(const kova_sim::SimSeed::Latency& latency) {
  web::json::value json = web::json::value::object();
  json[U("request_ms")] = web::json::value::number(latency.request_ms);
  json[U("snapshot_ms")] = web::json::value::number(latency.snapshot_ms);
  Call("PUT", "/_sim/latency", &json);
}

void RemoteArraySim::SetVersions(const std::vector<std::string>& versions) {
  web::json::value json = web::json::value::object();
  json[U("versions")] = web::json::value::array(versions.size());
  for (size_t i = 0; i < versions.size(); ++i) json[U("versions")][i] = web::json::value::string(Wide(versions[i]));
  Call("PUT", "/_sim/versions", &json);
}

web::json::value RemoteArraySim::Call(const std::string& method, const std::string& path,
                                      const web::json::value* body) const {
  web::http::http_request request(Wide(method));
  request.set_request_uri(Wide(path));
  if (body) request.set_body(*body);
  web::http::http_response response = client_->request(request).get();
  const web::json::value answer = response.extract_json(true).get();
  if (response.status_code() != 200) {
    throw std::runtime_error("array emulator: " + method + " " + path + " answered " +
                             std::to_string(response.status_code()) + " " + Narrow(answer.serialize()));
  }
  return answer;
}
