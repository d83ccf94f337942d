// Stands in for KovaProvider.exe in a test package. "/Service" fails half
// way, as a registration whose class step fails after the AppID step: it
// sets the AppID's "LocalService" and exits with E_FAIL. "/UnregServer"
// deletes that value again and exits 0. So the package's checks can see a
// failed registration fail the installation and leave nothing behind.
#include <windows.h>

#include <cwchar>

namespace {

const wchar_t kAppIdKey[] = L"SOFTWARE\\Classes\\AppID\\{63F0BFC9-5C8A-4CC1-BBD9-B51EEC70FC8F}";
const wchar_t kLocalService[] = L"LocalService";
const wchar_t kServiceName[] = L"KovaProvider";
constexpr int kFailed = static_cast<int>(0x80004005u);  // E_FAIL

int RegisterHalfWay() {
  HKEY key = nullptr;
  if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, kAppIdKey, 0, nullptr, 0, KEY_SET_VALUE | KEY_WOW64_64KEY,
                      nullptr, &key, nullptr) == ERROR_SUCCESS) {
    RegSetValueExW(key, kLocalService, 0, REG_SZ, reinterpret_cast<const BYTE*>(kServiceName),
                   sizeof(kServiceName));
    RegCloseKey(key);
  }
  return kFailed;
}

int Unregister() {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kAppIdKey, 0, KEY_SET_VALUE | KEY_WOW64_64KEY, &key) !=
      ERROR_SUCCESS)
    return 0;
  RegDeleteValueW(key, kLocalService);
  RegCloseKey(key);
  return 0;
}

}  // namespace

int main() {
  const wchar_t* line = GetCommandLineW();
  if (std::wcsstr(line, L"/UnregServer")) return Unregister();
  if (std::wcsstr(line, L"/Service")) return RegisterHalfWay();
  return kFailed;
}
