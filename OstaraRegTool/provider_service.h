// Control of the provider's service: whether it runs, and restarting it so
// that it reads the changed configuration. Results are 0,
// RC_SERVICE_FAILED or RC_TERMINATE_FAILED. Uses the service manager, the
// process terminator and the clock of CurrentToolFacilities().
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/service_manager.h"

inline constexpr char kProviderServiceName[] = "KovaProvider";
inline constexpr char kProviderDisplayName[] = "Kova Storage VSS Hardware Provider (64-bit)";
// The stop wait ends once more than this has passed since it began.
inline constexpr uint64_t kStopTimeoutMs = 30000;
inline constexpr uint32_t kTerminateWaitMs = 10000;

// The provider's image name as the process list shows it.
std::string ProviderImageName();

// The wait between status queries: |wait_hint_ms| / 10, within 1 s .. 10 s.
uint32_t StatusPollIntervalMs(uint32_t wait_hint_ms);

struct ServiceManagerOperation {
  std::unique_ptr<platform::ServiceManagerConnection> manager;
  std::unique_ptr<platform::ServiceHandle> service;
};

// Opens the manager and the provider's service; RC_SERVICE_FAILED (with
// whatever was opened closed again) when either cannot be reached.
uint32_t BeginServiceManagerOperation(ServiceManagerOperation& operation);
// Closes each handle that is open.
void EndServiceManagerOperation(ServiceManagerOperation& operation);

// 0 with |running| set exactly when the service's state is running;
// RC_SERVICE_FAILED, |running| untouched, when it cannot be asked.
uint32_t IsProviderRunning(bool& running);

// Stops a running service, waits for it to stop (kStopTimeoutMs) and starts
// it again; a service that is not running is left alone (0). With
// |force_stop|, a refused or timed-out stop terminates the provider's
// process instead. RC_SERVICE_FAILED or ForceKillProvider's failure.
uint32_t RestartProvider(bool force_stop);

// Terminates the provider's process and waits kTerminateWaitMs for it to
// end. 0 also when there is no such process or it cannot be opened;
// RC_TERMINATE_FAILED when termination is refused or does not finish.
uint32_t ForceKillProvider();
