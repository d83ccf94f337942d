// The service states, controls and status record that a service reports to
// the service control manager, under their Windows names and values.
// Windows takes them from its own headers.
#pragma once

#ifdef _WIN32
#include <windows.h>
#else
#include <cstdint>

constexpr uint32_t SERVICE_WIN32_OWN_PROCESS = 0x10;

constexpr uint32_t SERVICE_STOPPED = 1;
constexpr uint32_t SERVICE_START_PENDING = 2;
constexpr uint32_t SERVICE_STOP_PENDING = 3;
constexpr uint32_t SERVICE_RUNNING = 4;

constexpr uint32_t SERVICE_CONTROL_STOP = 1;
constexpr uint32_t SERVICE_CONTROL_PAUSE = 2;
constexpr uint32_t SERVICE_CONTROL_CONTINUE = 3;
constexpr uint32_t SERVICE_CONTROL_INTERROGATE = 4;
constexpr uint32_t SERVICE_CONTROL_SHUTDOWN = 5;

constexpr uint32_t SERVICE_ACCEPT_STOP = 1;

struct SERVICE_STATUS {
  uint32_t dwServiceType;
  uint32_t dwCurrentState;
  uint32_t dwControlsAccepted;
  uint32_t dwWin32ExitCode;
  uint32_t dwServiceSpecificExitCode;
  uint32_t dwCheckPoint;
  uint32_t dwWaitHint;
};

// The dispatcher's error for a program that the manager did not start.
constexpr uint32_t ERROR_FAILED_SERVICE_CONTROLLER_CONNECT = 1063;
#endif
