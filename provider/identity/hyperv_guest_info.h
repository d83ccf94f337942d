// What Hyper-V tells a guest about itself: the physical host's fully
// qualified name (to ask it for its initiator names) and, for the log, the
// virtual machine's identifier and name.
#pragma once

#include <cpprest/details/basic_types.h>

struct HyperVGuestInfo {
  utility::string_t hostName;  // "PhysicalHostNameFullyQualified"
  utility::string_t vmId;      // "VirtualMachineId"
  utility::string_t vmName;    // "VirtualMachineName"

  // True when this machine is a Hyper-V guest: the guest parameters exist
  // and all three values can be read, in the order above. Otherwise false
  // and the fields keep what they held.
  bool Load();
};
