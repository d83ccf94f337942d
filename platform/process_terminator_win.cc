#include <windows.h>
#include <tlhelp32.h>

#include "platform/process_terminator.h"
#include "platform/utf16.h"

namespace platform {

namespace {

bool SameNameIgnoringCase(const wchar_t* a, const std::u16string& b) {
  return CompareStringOrdinal(a, -1, reinterpret_cast<const wchar_t*>(b.c_str()), -1, TRUE) ==
         CSTR_EQUAL;
}

// The first process whose image name matches; 0 when none.
DWORD FindProcess(const std::string& image_name) {
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return 0;
  const std::u16string wanted = Utf8ToUtf16(image_name);
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof entry;
  DWORD found = 0;
  for (BOOL more = Process32FirstW(snapshot, &entry); more && !found;
       more = Process32NextW(snapshot, &entry)) {
    if (SameNameIgnoringCase(entry.szExeFile, wanted)) found = entry.th32ProcessID;
  }
  CloseHandle(snapshot);
  return found;
}

class WinProcessTerminator : public ProcessTerminator {
 public:
  TerminateResult TerminateByImageName(const std::string& image_name, uint32_t wait_ms) override {
    const DWORD pid = FindProcess(image_name);
    if (pid == 0) return TerminateResult::kNotFound;
    HANDLE process = OpenProcess(PROCESS_ALL_ACCESS, FALSE, pid);
    if (!process) return TerminateResult::kCannotOpen;
    TerminateResult result = TerminateResult::kRefused;
    if (TerminateProcess(process, 0xFFFFFFFF)) {
      result = WaitForSingleObject(process, wait_ms) == WAIT_OBJECT_0
                   ? TerminateResult::kTerminated
                   : TerminateResult::kTimedOut;
    }
    CloseHandle(process);
    return result;
  }
};

}  // namespace

ProcessTerminator& SystemProcessTerminator() {
  static WinProcessTerminator* const terminator = new WinProcessTerminator;
  return *terminator;
}

}  // namespace platform
