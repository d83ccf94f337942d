// The banner the tool prints on this machine, for tests that compare the
// whole output.
#pragma once

#include <string>

#include "platform/os_description.h"

inline std::string ExpectedBanner() {
  const platform::OsDescription os = platform::GetOsDescription();
  return "Kova Storage KovaProviderConfig version 1.0.3.717.2016-04-14_16-23-12 (64-bit Release)\n"
         "Registers Kova Storage Lumenstack arrays with the VSS hardware provider.\n"
         "On Computer: " + os.computer_name + " - " + os.os_name + " " +
         std::to_string(os.major) + "." + std::to_string(os.minor) + " (" + os.build + ")\n";
}
