#include <windows.h>

#include "platform/wow64_state.h"

namespace platform {
namespace {

using IsWow64ProcessFunction = BOOL(WINAPI*)(HANDLE, PBOOL);

class SystemWow64 : public Wow64State {
 public:
  bool ProcessRunsUnderWow64() override {
    const HMODULE kernel = GetModuleHandleW(L"kernel32");
    if (!kernel) return false;
    const auto is_wow64 = reinterpret_cast<IsWow64ProcessFunction>(
        reinterpret_cast<void*>(GetProcAddress(kernel, "IsWow64Process")));
    BOOL wow64 = FALSE;
    return is_wow64 && is_wow64(GetCurrentProcess(), &wow64) && wow64;
  }
};

}  // namespace

Wow64State& SystemWow64State() {
  static SystemWow64 state;
  return state;
}

}  // namespace platform
