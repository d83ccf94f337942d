#include <windows.h>

#include <thread>

#include "platform/utf16.h"
#include "tests/support/console_typist_win.h"
#include "tests/support/program_run.h"

namespace {

constexpr DWORD kRunTimeoutMs = 20000;

std::wstring Wide(const std::string& utf8) {
  const std::u16string units = platform::Utf8ToUtf16(utf8);
  return std::wstring(units.begin(), units.end());
}

// One argument quoted so that the C runtime's parser gives it back intact.
std::wstring Quoted(const std::wstring& arg) {
  if (!arg.empty() && arg.find_first_of(L" \t\n\v\"") == std::wstring::npos) return arg;
  std::wstring quoted = L"\"";
  size_t backslashes = 0;
  for (const wchar_t c : arg) {
    if (c == L'\\') {
      ++backslashes;
      continue;
    }
    // Backslashes double only before a quote, which itself is escaped.
    quoted.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
    backslashes = 0;
    quoted += c;
  }
  quoted.append(backslashes * 2, L'\\');
  return quoted + L"\"";
}

// This process's environment with the two folders replaced, as a block.
std::wstring ChildEnvironment(const std::string& state_dir) {
  std::wstring block;
  wchar_t* strings = GetEnvironmentStringsW();
  for (const wchar_t* entry = strings; *entry; entry += wcslen(entry) + 1) {
    const std::wstring text(entry);
    if (_wcsnicmp(entry, L"KOVA_STATE_DIR=", 15) == 0) continue;
    if (_wcsnicmp(entry, L"ALLUSERSPROFILE=", 16) == 0) continue;
    block += text + L'\0';
  }
  FreeEnvironmentStringsW(strings);
  block += L"KOVA_STATE_DIR=" + Wide(state_dir) + L'\0';
  block += L"ALLUSERSPROFILE=" + Wide(state_dir) + L'\0';
  return block + L'\0';
}

// Reads a pipe to its end on a thread of its own.
std::thread Drain(HANDLE pipe, std::string* sink) {
  return std::thread([pipe, sink] {
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(pipe, buffer, sizeof buffer, &got, nullptr) && got > 0) sink->append(buffer, got);
  });
}

struct Pipe {
  HANDLE read = nullptr;
  HANDLE write = nullptr;
  // |child_end_read|: the child reads (its standard input); only the
  // child's end is inherited.
  bool Make(bool child_end_read) {
    SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    if (!CreatePipe(&read, &write, &inherit, 0)) return false;
    return SetHandleInformation(child_end_read ? write : read, HANDLE_FLAG_INHERIT, 0);
  }
  void Close(HANDLE* handle) {
    if (*handle) CloseHandle(*handle);
    *handle = nullptr;
  }
  ~Pipe() {
    Close(&read);
    Close(&write);
  }
};

}  // namespace

ProgramRun RunProgram(const std::string& program, const std::vector<std::string>& args,
                      const ProgramRunOptions& options) {
  ProgramRun run;
  if (options.run_as_uid >= 0) {
    run.err = "running a program as another user is a POSIX test facility";
    return run;
  }
  std::wstring command_line = Quoted(Wide(program));
  for (const std::string& arg : args) command_line += L" " + Quoted(Wide(arg));
  std::wstring environment = ChildEnvironment(options.state_dir);
  // Typed input goes to a console of the program's own, without a window;
  // its standard input is left null for the new console's input, which Wine
  // puts there. Otherwise standard input is an empty pipe.
  const bool typed = !options.input.empty();
  Pipe in, out, err;
  if ((!typed && !in.Make(true)) || !out.Make(false) || !err.Make(false)) return run;
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = in.read;
  startup.hStdOutput = out.write;
  startup.hStdError = err.write;
  const DWORD flags = CREATE_UNICODE_ENVIRONMENT | (typed ? CREATE_NO_WINDOW : 0);
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(nullptr, &command_line[0], nullptr, nullptr, TRUE, flags, &environment[0], nullptr,
                      &startup, &process)) {
    return run;
  }
  CloseHandle(process.hThread);
  in.Close(&in.read);
  in.Close(&in.write);
  out.Close(&out.write);
  err.Close(&err.write);
  std::thread out_reader = Drain(out.read, &run.out);
  std::thread err_reader = Drain(err.read, &run.err);
  std::string typing_error;
  if (typed) {
    std::u16string keys = platform::Utf8ToUtf16(options.input);
    for (char16_t& key : keys) {
      if (key == u'\n') key = u'\r';  // Enter
    }
    const ConsoleTypist typist(process.dwProcessId);
    if (!typist.Attached() || !typist.Type(keys)) typing_error = "the program's console could not be typed at\n";
  }
  DWORD code = 0;
  const bool ended = WaitForSingleObject(process.hProcess, kRunTimeoutMs) == WAIT_OBJECT_0;
  if (!ended) TerminateProcess(process.hProcess, 1);
  WaitForSingleObject(process.hProcess, INFINITE);
  out_reader.join();
  err_reader.join();
  run.err += typing_error;
  if (ended && GetExitCodeProcess(process.hProcess, &code)) run.exit_code = static_cast<int>(code);
  CloseHandle(process.hProcess);
  return run;
}
