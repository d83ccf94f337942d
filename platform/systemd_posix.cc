#include "platform/systemd_posix.h"

#include <sys/stat.h>

#include "platform/program_runner_posix.h"

namespace platform {
namespace {

constexpr char kSystemctl[] = "systemctl";
constexpr char kSystemdRuntimeDir[] = "/run/systemd/system";
constexpr uint32_t kQueryTimeoutMs = 10000;

}  // namespace

bool SystemdRuns() {
  struct stat info {};
  return stat(kSystemdRuntimeDir, &info) == 0 && S_ISDIR(info.st_mode);
}

bool RunSystemctl(const std::vector<std::string>& args, uint32_t timeout_ms, std::string* output) {
  ProgramRun run;
  if (!RunProgram(kSystemctl, args, timeout_ms, &run) || run.exit_code != 0) return false;
  if (output) *output = run.output;
  return true;
}

bool ShowUnitProperty(const std::string& unit, const std::string& property, std::string* value) {
  std::string output;
  if (!RunSystemctl({"show", "--no-pager", "--property=" + property, "--", unit}, kQueryTimeoutMs,
                    &output)) {
    return false;
  }
  const std::string prefix = property + "=";
  if (output.compare(0, prefix.size(), prefix) != 0) return false;
  const size_t end = output.find('\n');
  *value = output.substr(prefix.size(), end == std::string::npos ? end : end - prefix.size());
  return true;
}

}  // namespace platform
