#include "OstaraRegTool/tool_facilities.h"

#include <iostream>

#include "platform/process_privilege.h"

namespace {

ToolFacilities& Installed() {
  static ToolFacilities* const facilities = new ToolFacilities(SystemToolFacilities());
  return *facilities;
}

}  // namespace

ToolFacilities SystemToolFacilities() {
  return ToolFacilities{&std::cout,
                        platform::OpenHiddenConsoleInput,
                        platform::IsProcessAdministrator,
                        &platform::SystemIcmpEcho(),
                        &platform::SystemServiceManager(),
                        &platform::SystemProcessTerminator(),
                        &platform::SystemTickClock()};
}

const ToolFacilities& CurrentToolFacilities() { return Installed(); }

ScopedToolFacilities::ScopedToolFacilities(const ToolFacilities& facilities)
    : previous_(Installed()) {
  Installed() = facilities;
}

ScopedToolFacilities::~ScopedToolFacilities() { Installed() = previous_; }
