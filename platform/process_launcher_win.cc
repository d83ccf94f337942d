#include <windows.h>

#include <vector>

#include "platform/process_launcher.h"
#include "platform/wide_text_win.h"

namespace platform {
namespace {

class SystemLauncher : public ProcessLauncher {
 public:
  bool RunAndWait(const std::string& command_line, uint32_t* exit_code) override {
    *exit_code = 0;
    // CreateProcessW may write into the command line it is given.
    const std::wstring wide = Wide(command_line);
    std::vector<wchar_t> buffer(wide.begin(), wide.end());
    buffer.push_back(L'\0');
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, buffer.data(), nullptr, nullptr, FALSE,
                        GetPriorityClass(GetCurrentProcess()), nullptr, nullptr, &startup,
                        &process)) {
      return false;
    }
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = 0;
    if (GetExitCodeProcess(process.hProcess, &code)) *exit_code = code;
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return true;
  }
};

}  // namespace

ProcessLauncher& SystemProcessLauncher() {
  static SystemLauncher launcher;
  return launcher;
}

}  // namespace platform
