#include "tests/support/platform_fakes.h"

#include <cstdio>

namespace {

class FakeService : public platform::ServiceHandle {
 public:
  explicit FakeService(FakeServiceWorld* world) : world_(world) { ++world_->open_handles; }
  ~FakeService() override { --world_->open_handles; }

  bool QueryStatus(platform::ServiceStatus* status) override {
    world_->query_times.push_back(world_->clock.now_ms);
    if (world_->query_fails) return false;
    if (world_->queries_before_failure == 0) return false;
    if (world_->queries_before_failure > 0) --world_->queries_before_failure;
    status->state = world_->CurrentState();
    status->wait_hint_ms = world_->wait_hint_ms;
    return true;
  }
  bool Stop() override {
    ++world_->stop_requests;
    if (world_->refuse_stop) return false;
    world_->stop_requested = !world_->ignore_stop;
    world_->stop_at_ms = world_->clock.now_ms + world_->stop_takes_ms;
    return true;
  }
  bool Start() override {
    ++world_->start_requests;
    if (world_->refuse_start || world_->CurrentState() != platform::ServiceState::kStopped) {
      return false;
    }
    world_->state = platform::ServiceState::kRunning;
    world_->process_running = true;
    return true;
  }

 private:
  FakeServiceWorld* world_;
};

class FakeConnection : public platform::ServiceManagerConnection {
 public:
  explicit FakeConnection(FakeServiceWorld* world) : world_(world) { ++world_->open_handles; }
  ~FakeConnection() override { --world_->open_handles; }

  std::unique_ptr<platform::ServiceHandle> OpenServiceByName(const std::string& name) override {
    world_->opened_service = name;
    if (!world_->service_installed) return nullptr;
    return std::make_unique<FakeService>(world_);
  }

 private:
  FakeServiceWorld* world_;
};

}  // namespace

platform::ResolveStatus FakeIcmpEcho::ResolveIPv4(const std::string& host,
                                                  std::vector<uint32_t>* addresses, long* error) {
  resolved.push_back(host);
  addresses->clear();
  if (!sockets_available) {
    *error = 10091;
    return platform::ResolveStatus::kSocketsUnavailable;
  }
  if (const uint32_t literal = Address(host)) {
    addresses->push_back(literal);
    return platform::ResolveStatus::kLiteral;
  }
  const auto found = names.find(host);
  if (found == names.end() || found->second.empty()) return platform::ResolveStatus::kNotFound;
  *addresses = found->second;
  return platform::ResolveStatus::kResolved;
}

platform::EchoStatus FakeIcmpEcho::SendEcho(uint32_t address, const std::vector<uint8_t>& payload,
                                            uint32_t timeout_ms, int* replies, long* error) {
  if (!can_open) {
    *error = 5;
    return platform::EchoStatus::kCannotOpen;
  }
  pinged.push_back(address);
  last_payload = payload;
  last_timeout_ms = timeout_ms;
  *replies = answers ? 1 : 0;
  return platform::EchoStatus::kSent;
}

uint32_t FakeIcmpEcho::Address(const std::string& dotted) {
  unsigned a = 0, b = 0, c = 0, d = 0;
  char extra = 0;
  if (std::sscanf(dotted.c_str(), "%u.%u.%u.%u%c", &a, &b, &c, &d, &extra) != 4) return 0;
  if (a > 255 || b > 255 || c > 255 || d > 255) return 0;
  return a | (b << 8) | (c << 16) | (d << 24);
}

bool FakeConsoleInput::ReadCharacter(std::string* utf8) {
  if (keys_.empty()) return false;
  *utf8 = keys_.front();
  keys_.pop_front();
  return true;
}

std::unique_ptr<platform::ServiceManagerConnection> FakeServiceWorld::Connect() {
  if (!manager_reachable) return nullptr;
  return std::make_unique<FakeConnection>(this);
}

platform::ServiceState FakeServiceWorld::CurrentState() {
  if (stop_requested && state == platform::ServiceState::kRunning) {
    state = clock.now_ms >= stop_at_ms ? platform::ServiceState::kStopped
                                        : platform::ServiceState::kStopPending;
  } else if (stop_requested && state == platform::ServiceState::kStopPending &&
             clock.now_ms >= stop_at_ms) {
    state = platform::ServiceState::kStopped;
  }
  if (state == platform::ServiceState::kStopped) {
    stop_requested = false;
    process_running = false;
  }
  return state;
}

platform::TerminateResult FakeServiceWorld::TerminateByImageName(const std::string& image_name,
                                                                 uint32_t wait_ms) {
  terminated_names.push_back(image_name);
  terminate_waits.push_back(wait_ms);
  if (!process_running) return platform::TerminateResult::kNotFound;
  if (termination == platform::TerminateResult::kTerminated) {
    process_running = false;
    state = platform::ServiceState::kStopped;
    stop_requested = false;
  }
  return termination;
}
