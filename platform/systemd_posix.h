// systemd through `systemctl`, shared by the service facilities of POSIX.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace platform {

// Whether systemd is the running init system (/run/systemd/system exists).
bool SystemdRuns();

// Runs `systemctl |args|`; true when it exits with 0. |output| may be null.
bool RunSystemctl(const std::vector<std::string>& args, uint32_t timeout_ms, std::string* output);

// One property of |unit| as "systemctl show" prints it ("Name=value").
bool ShowUnitProperty(const std::string& unit, const std::string& property, std::string* value);

// A start or stop waits for the unit's job, which systemd bounds itself.
inline constexpr uint32_t kSystemctlControlTimeoutMs = 120000;

}  // namespace platform
