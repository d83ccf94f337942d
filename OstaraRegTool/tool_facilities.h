// What the configuration tool uses from the machine besides the registry:
// the console it writes to and reads the password from, the administrator
// test, ICMP echo, the service manager, process termination and the clock.
// The program uses the operating system's facilities; tests install fakes
// for the duration of a scope and run the tool's code in process.
#pragma once

#include <functional>
#include <memory>
#include <ostream>

#include "platform/console_input.h"
#include "platform/icmp_echo.h"
#include "platform/process_terminator.h"
#include "platform/service_manager.h"
#include "platform/tick_clock.h"

struct ToolFacilities {
  std::ostream* out;
  std::function<std::unique_ptr<platform::HiddenConsoleInput>()> open_console_input;
  std::function<bool()> is_administrator;
  platform::IcmpEcho* echo;
  platform::ServiceManager* services;
  platform::ProcessTerminator* processes;
  platform::TickClock* clock;
};

// The operating system's facilities, with std::cout as the console.
ToolFacilities SystemToolFacilities();

// The facilities in use (the system's unless a scope replaced them).
const ToolFacilities& CurrentToolFacilities();

// Replaces the facilities for its lifetime (tests). Not thread-safe: the
// tool is single-threaded.
class ScopedToolFacilities {
 public:
  explicit ScopedToolFacilities(const ToolFacilities& facilities);
  ~ScopedToolFacilities();
  ScopedToolFacilities(const ScopedToolFacilities&) = delete;
  ScopedToolFacilities& operator=(const ScopedToolFacilities&) = delete;

 private:
  ToolFacilities previous_;
};

// The tool's console output.
inline std::ostream& ToolOut() { return *CurrentToolFacilities().out; }
