#include <windows.h>

#include <vector>

#include "platform/program_identity.h"
#include "platform/wide_text_win.h"

namespace platform {
uint32_t CurrentProcessId() { return GetCurrentProcessId(); }

std::string CurrentUserName() {
  wchar_t name[261];
  DWORD length = 261;
  if (!GetUserNameW(name, &length) || length == 0) return std::string();
  return Narrow(name, length - 1);  // the count includes the terminator
}

std::string ProgramPath() {
  std::vector<wchar_t> path(32768);
  const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
  if (length == 0 || length >= path.size()) return std::string();
  return Narrow(path.data(), length);
}

std::string ProgramCommandLine(const std::vector<std::string>& /*args*/) {
  const wchar_t* line = GetCommandLineW();
  return Narrow(line, wcslen(line));
}

}  // namespace platform
