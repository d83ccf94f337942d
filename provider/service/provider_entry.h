// The provider program's entry: the log session around the whole run, the
// command line, and the service host.
#pragma once

#include <string>

#include "provider/service/service_host_facilities.h"

namespace kova_service {

// Opens the log from the logging settings, logs who runs the program,
// then registers, removes or runs as |command_line| says, and closes the
// log. Returns the process exit code: -1 when the module cannot be made
// (no service name), else the registration's, the removal's or Start's.
int RunKovaProvider(const std::string& command_line, const ServiceHostFacilities& facilities,
                    const std::string& service_name);

// The level the provider logs at: the number in "LogLevel" when "Logging"
// is exactly "Enabled", else 3. Both are read into 512-byte buffers; a
// missing or unreadable "LogLevel" counts as 3 too.
int ProviderLogLevel();

}  // namespace kova_service
