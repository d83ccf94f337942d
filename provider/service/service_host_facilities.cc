#include "provider/service/service_host_facilities.h"

#include <iostream>

#include "platform/program_identity.h"

namespace kova_service {

ServiceHostFacilities SystemServiceHostFacilities() {
  ServiceHostFacilities facilities;
  facilities.services = &platform::SystemServiceInstaller();
  facilities.dispatcher = &platform::SystemServiceDispatcher();
  facilities.com = &platform::SystemComRuntime();
  facilities.loop = &platform::SystemMessageLoop();
  facilities.boxes = &platform::SystemMessageBoxes();
  facilities.type_libraries = &platform::SystemTypeLibraries();
  facilities.vss = &platform::SystemVssCoordinator();
  facilities.events = &platform::SystemEventLog();
  facilities.console = &std::cout;
  facilities.program_path = platform::ProgramPath();
  return facilities;
}

}  // namespace kova_service
