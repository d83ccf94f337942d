// In-memory fakes of the platform facilities the configuration tool uses:
// ICMP echo, the console's hidden input, and a service world in which the
// service manager, the provider's process and a fake clock (whose sleeping
// advances its time) act on each other.
#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/console_input.h"
#include "platform/icmp_echo.h"
#include "platform/process_terminator.h"
#include "platform/service_manager.h"
#include "platform/tick_clock.h"

// Dotted texts are literals; |names| resolve; |answering| addresses reply.
class FakeIcmpEcho : public platform::IcmpEcho {
 public:
  platform::ResolveStatus ResolveIPv4(const std::string& host, std::vector<uint32_t>* addresses,
                                      long* error) override;
  platform::EchoStatus SendEcho(uint32_t address, const std::vector<uint8_t>& payload,
                                uint32_t timeout_ms, int* replies, long* error) override;

  // The fake's address value of a dotted text (network byte order on a
  // little-endian machine); 0 for anything else.
  static uint32_t Address(const std::string& dotted);

  bool sockets_available = true;
  bool can_open = true;
  bool answers = true;
  std::map<std::string, std::vector<uint32_t>> names;
  std::vector<std::string> resolved;  // every host asked for
  std::vector<uint32_t> pinged;       // every address an echo went to
  std::vector<uint8_t> last_payload;
  uint32_t last_timeout_ms = 0;
};

class FakeConsoleInput : public platform::HiddenConsoleInput {
 public:
  explicit FakeConsoleInput(std::deque<std::string> keys) : keys_(std::move(keys)) {}
  bool ReadCharacter(std::string* utf8) override;

 private:
  std::deque<std::string> keys_;
};

class FakeTickClock : public platform::TickClock {
 public:
  uint64_t NowMs() override { return now_ms; }
  void SleepMs(uint32_t ms) override {
    sleeps.push_back(ms);
    now_ms += ms;
  }
  uint64_t now_ms = 5000000;
  std::vector<uint32_t> sleeps;
};

// The provider's service and process. A stop request makes the service
// stop |stop_takes_ms| later (never when it ignores stops); terminating the
// process stops the service at once.
class FakeServiceWorld : public platform::ServiceManager, public platform::ProcessTerminator {
 public:
  std::unique_ptr<platform::ServiceManagerConnection> Connect() override;
  platform::TerminateResult TerminateByImageName(const std::string& image_name,
                                                 uint32_t wait_ms) override;

  // Service side.
  bool manager_reachable = true;
  bool service_installed = true;
  platform::ServiceState state = platform::ServiceState::kRunning;
  uint32_t wait_hint_ms = 0;
  bool query_fails = false;
  int queries_before_failure = -1;  // >= 0: later queries fail
  bool refuse_stop = false;
  bool ignore_stop = false;
  uint64_t stop_takes_ms = 0;
  bool refuse_start = false;
  // Process side.
  bool process_running = true;
  platform::TerminateResult termination = platform::TerminateResult::kTerminated;

  // What happened.
  std::vector<uint64_t> query_times;
  int stop_requests = 0;
  int start_requests = 0;
  std::vector<std::string> terminated_names;
  std::vector<uint32_t> terminate_waits;
  int open_handles = 0;
  std::string opened_service;

  FakeTickClock clock;

  // The state now, a requested stop completing when its time has come.
  platform::ServiceState CurrentState();
  bool stop_requested = false;
  uint64_t stop_at_ms = 0;
};
