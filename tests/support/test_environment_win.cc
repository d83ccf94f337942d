#include <windows.h>

#include <stdlib.h>

#include <vector>

#include "platform/utf16.h"
#include "tests/support/test_environment.h"

namespace {

std::wstring Wide(const std::string& utf8) {
  const std::u16string units = platform::Utf8ToUtf16(utf8);
  return std::wstring(units.begin(), units.end());
}

}  // namespace

void SetTestEnv(const std::string& name, const std::string& value) {
  SetEnvironmentVariableW(Wide(name).c_str(), Wide(value).c_str());
  _wputenv_s(Wide(name).c_str(), Wide(value).c_str());
}

void UnsetTestEnv(const std::string& name) {
  SetEnvironmentVariableW(Wide(name).c_str(), nullptr);
  _wputenv_s(Wide(name).c_str(), L"");  // an empty value removes it from the C runtime's copy
}

std::optional<std::string> GetTestEnv(const std::string& name) {
  const std::wstring wide_name = Wide(name);
  const DWORD size = GetEnvironmentVariableW(wide_name.c_str(), nullptr, 0);
  if (size == 0) return std::nullopt;
  std::vector<wchar_t> buffer(size);
  const DWORD length = GetEnvironmentVariableW(wide_name.c_str(), buffer.data(), size);
  if (length == 0 || length >= size) return std::nullopt;
  return platform::Utf16ToUtf8(std::u16string(buffer.begin(), buffer.begin() + length));
}

bool RunningUnderWine() {
  const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}
