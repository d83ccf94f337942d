// What the provider program's service host uses from the machine besides the
// registry and the log: the service manager and its dispatcher, COM, the
// main thread's message loop, message boxes, type library registration,
// the VSS coordinator, the event log and the console. The program uses the
// operating system's; tests hand the module fakes.
#pragma once

#include <ostream>
#include <string>

#include "platform/com_runtime.h"
#include "platform/event_log.h"
#include "platform/message_box.h"
#include "platform/message_loop.h"
#include "platform/service_dispatcher.h"
#include "platform/service_installation.h"
#include "platform/type_library.h"
#include "platform/vss_coordinator.h"

namespace kova_service {

struct ServiceHostFacilities {
  platform::ServiceInstaller* services;
  platform::ServiceDispatcher* dispatcher;
  platform::ComRuntime* com;
  platform::MessageLoop* loop;
  platform::MessageBoxes* boxes;
  platform::TypeLibraries* type_libraries;
  platform::VssCoordinator* vss;
  platform::EventLog* events;
  std::ostream* console;  // the service events outside service mode
  std::string program_path;  // "" when it cannot be found
};

// The operating system's facilities, with std::cout as the console.
ServiceHostFacilities SystemServiceHostFacilities();

}  // namespace kova_service
