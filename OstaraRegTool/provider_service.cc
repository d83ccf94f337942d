#include "OstaraRegTool/provider_service.h"

#include <algorithm>

#include "OstaraRegTool/result_codes.h"
#include "OstaraRegTool/tool_facilities.h"
#include "OstaraRegTool/tool_log_tags.h"
#include "library/log/logger.h"
#include "platform/process_terminator.h"

namespace {

constexpr uint32_t kMinPollIntervalMs = 1000;
constexpr uint32_t kMaxPollIntervalMs = 10000;
// Bounds the stop wait even with a clock that does not move.
constexpr int kMaxStatusQueries = 1000;

uint32_t ForceKillAfter(const char* reason) {
  Logger::Write(LOG_WARN, kImplementationTag, "%hs", reason);
  const uint32_t result = ForceKillProvider();
  if (result != RC_SUCCESS) {
    Logger::Write(LOG_ERROR, kImplementationTag, "RestartProvider: Forceful termination failed.");
  } else {
    Logger::Write(LOG_DEBUG, kImplementationTag,
                  "RestartProvider: Forceful termination successful.");
  }
  return result;
}

// Waits for the service to reach the stopped state.
uint32_t AwaitStop(platform::ServiceHandle& service, bool force_stop) {
  platform::TickClock& clock = *CurrentToolFacilities().clock;
  const uint64_t start = clock.NowMs();
  for (int query = 0; query < kMaxStatusQueries; ++query) {
    platform::ServiceStatus status;
    if (!service.QueryStatus(&status)) return RC_SERVICE_FAILED;
    if (status.state == platform::ServiceState::kStopped) return RC_SUCCESS;
    clock.SleepMs(StatusPollIntervalMs(status.wait_hint_ms));
    if (clock.NowMs() - start > kStopTimeoutMs) break;
  }
  if (!force_stop) return RC_SERVICE_FAILED;
  return ForceKillAfter(
      "RestartProvider: SCM-initiated Stop failed after timeout. Forcefully terminating.");
}

uint32_t RestartOpenService(platform::ServiceHandle& service, bool force_stop) {
  platform::ServiceStatus status;
  if (!service.QueryStatus(&status)) return RC_SERVICE_FAILED;
  if (status.state != platform::ServiceState::kRunning) return RC_SUCCESS;
  if (!service.Stop()) {
    if (!force_stop) return RC_SERVICE_FAILED;
    const uint32_t killed =
        ForceKillAfter("RestartProvider: SCM-initiated Stop failed. Forcefully terminating.");
    if (killed != RC_SUCCESS) return killed;
  }
  const uint32_t stopped = AwaitStop(service, force_stop);
  if (stopped != RC_SUCCESS) return stopped;
  return service.Start() ? RC_SUCCESS : RC_SERVICE_FAILED;
}

}  // namespace

std::string ProviderImageName() {
  return std::string(kProviderServiceName) + platform::kExecutableSuffix;
}

uint32_t StatusPollIntervalMs(uint32_t wait_hint_ms) {
  return std::clamp(wait_hint_ms / 10, kMinPollIntervalMs, kMaxPollIntervalMs);
}

uint32_t BeginServiceManagerOperation(ServiceManagerOperation& operation) {
  Logger::Write(LOG_DEBUG, kImplementationTag, "ENTERING: BeginServiceManagerOperation()");
  uint32_t result = RC_SUCCESS;
  operation.manager = CurrentToolFacilities().services->Connect();
  if (operation.manager) operation.service = operation.manager->OpenServiceByName(kProviderServiceName);
  if (!operation.service) {
    EndServiceManagerOperation(operation);
    result = RC_SERVICE_FAILED;
  }
  Logger::Write(LOG_DEBUG, kImplementationTag, "EXITING: BeginServiceManagerOperation()");
  return result;
}

void EndServiceManagerOperation(ServiceManagerOperation& operation) {
  Logger::Write(LOG_DEBUG, kImplementationTag, "ENTERING: EndServiceManagerOperation()");
  operation.service.reset();
  operation.manager.reset();
  Logger::Write(LOG_DEBUG, kImplementationTag, "EXITING: EndServiceManagerOperation()");
}

uint32_t IsProviderRunning(bool& running) {
  Logger::Write(LOG_DEBUG, kImplementationTag, "ENTERING: IsProviderRunning()");
  ServiceManagerOperation operation;
  uint32_t result = BeginServiceManagerOperation(operation);
  if (result == RC_SUCCESS) {
    platform::ServiceStatus status;
    if (operation.service->QueryStatus(&status)) {
      running = status.state == platform::ServiceState::kRunning;
    } else {
      result = RC_SERVICE_FAILED;
    }
    EndServiceManagerOperation(operation);
  }
  Logger::Write(LOG_DEBUG, kImplementationTag, "EXITING: IsProviderRunning()");
  return result;
}

uint32_t RestartProvider(bool force_stop) {
  Logger::Write(LOG_DEBUG, kImplementationTag, "ENTERING: RestartProvider()");
  ServiceManagerOperation operation;
  uint32_t result = BeginServiceManagerOperation(operation);
  if (result == RC_SUCCESS) {
    result = RestartOpenService(*operation.service, force_stop);
    EndServiceManagerOperation(operation);
  }
  Logger::Write(LOG_DEBUG, kImplementationTag, "EXITING: RestartProvider()");
  return result;
}

uint32_t ForceKillProvider() {
  Logger::Write(LOG_DEBUG, kImplementationTag, "ENTERING: ForceKillProvider()");
  uint32_t result = RC_SUCCESS;
  switch (CurrentToolFacilities().processes->TerminateByImageName(ProviderImageName(),
                                                                  kTerminateWaitMs)) {
    case platform::TerminateResult::kNotFound:
    case platform::TerminateResult::kCannotOpen:
    case platform::TerminateResult::kTerminated:
      break;
    case platform::TerminateResult::kRefused:
    case platform::TerminateResult::kTimedOut:
      result = RC_TERMINATE_FAILED;
      break;
  }
  Logger::Write(LOG_DEBUG, kImplementationTag, "EXITING: ForceKillProvider()");
  return result;
}
