#include "tools/KovaArraySim/array_sim.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "tools/KovaArraySim/https_server.h"
#include "tools/KovaArraySim/seed_parser.h"
#include "tools/KovaArraySim/seed_validator.h"

namespace kova_sim {
namespace {

// Seed files are small; anything this big is not one.
constexpr std::streamoff kMaxSeedFileBytes = 16 << 20;

const SimSeed& Validated(const SimSeed& seed) {
  ValidateSeed(seed);
  return seed;
}

std::string ReadSeedText(const std::string& path) {
  std::ifstream in(path, std::ios::binary | std::ios::ate);
  if (!in) throw std::runtime_error("cannot be read");
  if (in.tellg() > kMaxSeedFileBytes) throw std::runtime_error("is larger than 16 MiB");
  in.seekg(0);
  std::ostringstream text;
  text << in.rdbuf();
  if (in.bad()) throw std::runtime_error("cannot be read");
  return text.str();
}

// The host part of Url(): loopback for a wildcard address, brackets for IPv6.
std::string UrlHost(const std::string& address) {
  if (address == "0.0.0.0") return "127.0.0.1";
  if (address == "::") return "[::1]";
  return address.find(':') == std::string::npos ? address : "[" + address + "]";
}

bool IsSetCookie(const std::pair<std::string, std::string>& header) {
  std::string name = header.first;
  for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return name == "set-cookie";
}

}  // namespace

ArraySim::ArraySim(SimSeed seed)
    : state_(Validated(seed)),
      users_(seed.users),
      latency_(seed.latency),
      api_(state_, users_, sessions_),
      control_(*this) {}

ArraySim::~ArraySim() { Stop(); }

SimSeed ArraySim::LoadSeedFile(const std::string& path) {
  try {
    SimSeed seed = ParseSeedJson(ReadSeedText(path));
    ValidateSeed(seed);
    return seed;
  } catch (const std::exception& e) {
    throw std::runtime_error("seed file \"" + path + "\": " + e.what());
  }
}

void ArraySim::Start(uint16_t port, const std::string& address) {
  std::lock_guard<std::mutex> lock(lifecycle_mutex_);
  if (server_) throw std::logic_error("the array emulator is already running");
  delays_.Reset();
  auto server = std::make_unique<HttpsServer>([this](const RecordedRequest& r) { return Handle(r); });
  server->Start(address, port);
  server_ = std::move(server);
  url_host_ = UrlHost(address);
}

void ArraySim::Stop() {
  std::lock_guard<std::mutex> lock(lifecycle_mutex_);
  if (!server_) return;
  delays_.Cancel();
  server_->Stop();
  server_.reset();
}

uint16_t ArraySim::Port() const {
  std::lock_guard<std::mutex> lock(lifecycle_mutex_);
  return server_ ? server_->Port() : 0;
}

std::string ArraySim::Url() const {
  std::lock_guard<std::mutex> lock(lifecycle_mutex_);
  if (!server_) return std::string();
  return "https://" + url_host_ + ":" + std::to_string(server_->Port());
}

void ArraySim::Reset(const SimSeed& seed) {
  ValidateSeed(seed);
  faults_.Clear();
  state_.Reset(seed);
  users_.Replace(seed.users);
  sessions_.ExpireAll();
  latency_.Set(seed.latency);
  log_.Clear();
}

void ArraySim::InjectFault(const Fault& fault) { faults_.Add(fault); }

void ArraySim::ClearFaults() { faults_.Clear(); }

void ArraySim::ExpireSessions() { sessions_.ExpireAll(); }

std::vector<RecordedRequest> ArraySim::Requests() const { return log_.All(); }

void ArraySim::ClearRequests() { log_.Clear(); }

web::json::value ArraySim::State() const {
  web::json::value state = state_.Describe();
  state["sessions"] = web::json::value::number(static_cast<uint64_t>(sessions_.Count()));
  return state;
}

std::string ArraySim::ArrayId() const { return state_.ArrayId(); }

void ArraySim::AddUser(const std::string& username, const std::string& password,
                       const std::string& api_token) {
  users_.Add(SimSeed::User{username, password, api_token});
}

void ArraySim::AddHost(const std::string& name, const std::vector<std::string>& iqn,
                       const std::vector<std::string>& wwn) {
  state_.AddHost(SimSeed::Host{name, iqn, wwn});
}

std::string ArraySim::AddVolume(const std::string& name, int64_t size) {
  const ApiResult result = state_.CreateVolume(name, size);
  if (result.status != 200) throw std::invalid_argument(result.body.at("msg").as_string() + " " + name);
  return result.body.at("serial").as_string();
}

void ArraySim::SetVersions(const std::vector<std::string>& versions) { state_.SetVersions(versions); }

size_t ArraySim::SessionCount() const { return sessions_.Count(); }

void ArraySim::SetLatency(const SimSeed::Latency& latency) { latency_.Set(latency); }

SimSeed::Latency ArraySim::Latency() const { return latency_.Get(); }

HttpReply ArraySim::Handle(const RecordedRequest& request) {
  if (ControlApi::IsControlTarget(request.target)) return control_.Handle(request);
  struct Running {
    explicit Running(std::atomic<size_t>& count) : count_(count) { ++count_; }
    ~Running() { --count_; }
    std::atomic<size_t>& count_;
  } running(handlers_running_);
  log_.Append(request);
  const std::optional<Fault> fault = faults_.Take(request.method, request.target);
  return fault ? ApplyFault(*fault, request) : Execute(request);
}

HttpReply ArraySim::Execute(const RecordedRequest& request) {
  HttpReply reply = api_.Handle(request);
  const std::chrono::milliseconds wait = latency_.AnswerTime(reply.snapshots_made);
  if (wait.count() > 0 && !delays_.SleepFor(wait)) return HttpReply::Drop();
  return reply;
}

HttpReply ArraySim::ApplyFault(const Fault& fault, const RecordedRequest& request) {
  HttpReply reply;
  switch (fault.kind) {
    case Fault::Kind::kStatus:
    case Fault::Kind::kRawBody:
      reply.status = fault.status;
      reply.body = fault.body;
      reply.content_type = fault.kind == Fault::Kind::kStatus ? "application/json" : fault.content_type;
      return reply;
    case Fault::Kind::kDelay:
      if (!delays_.SleepFor(std::chrono::milliseconds(fault.delay_ms))) return HttpReply::Drop();
      return Execute(request);
    case Fault::Kind::kDrop:
      return HttpReply::Drop();
    case Fault::Kind::kExecuteThenDrop:
      api_.Handle(request);
      return HttpReply::Drop();
    case Fault::Kind::kLateAnswer:
      // The work is done before the wait, as an array that is slow to answer.
      reply = api_.Handle(request);
      return delays_.SleepFor(std::chrono::milliseconds(fault.delay_ms)) ? reply : HttpReply::Drop();
    case Fault::Kind::kTruncate:
      reply = Execute(request);
      if (reply.action == HttpReply::Action::kAnswer) reply.action = HttpReply::Action::kTruncate;
      return reply;
    case Fault::Kind::kNoSessionCookie:
      reply = Execute(request);
      reply.headers.erase(std::remove_if(reply.headers.begin(), reply.headers.end(), IsSetCookie),
                          reply.headers.end());
      return reply;
  }
  return Execute(request);
}

}  // namespace kova_sim
