// The text of the systemd unit file that stands for a service of the
// service control manager on POSIX (see service_installation.h), written and
// read back without loss of what the manager keeps.
#pragma once

#include <string>

#include "platform/service_installation.h"

namespace platform {

struct ServiceUnit {
  ServiceDefinition definition;
  std::string description;
};

// Values are escaped so that systemd takes them literally: "%" as "%%",
// "\" as "\\", and in the description a line feed as "\n"; the binary path
// also "$" as "$$".
std::string FormatServiceUnit(const ServiceUnit& unit);
// False when |text| is not such a file (no [Service] section with an
// ExecStart, or a line that is neither a section, a comment nor Key=Value).
bool ParseServiceUnit(const std::string& text, ServiceUnit* unit);

}  // namespace platform
