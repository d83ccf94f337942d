// Windows: the native registry in the 64-bit view. Names and paths arrive
// as UTF-8 and go to the wide API as UTF-16.
#include <windows.h>
#include <aclapi.h>

#include "platform/registry.h"
#include "platform/utf16.h"

namespace platform {
namespace {

constexpr REGSAM kView = KEY_WOW64_64KEY;
constexpr DWORD kMaxKeyNameChars = 256;      // 255 and the terminator
constexpr DWORD kMaxValueNameChars = 16384;  // 16383 and the terminator

// The one place where a native error becomes a portable status.
RegistryStatus FromWin32(LONG error) {
  switch (error) {
    case ERROR_SUCCESS: return RegistryStatus::kOk;
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_KEY_DELETED: return RegistryStatus::kNotFound;
    case ERROR_MORE_DATA: return RegistryStatus::kMoreData;
    case ERROR_NO_MORE_ITEMS: return RegistryStatus::kNoMoreItems;
    case ERROR_ACCESS_DENIED: return RegistryStatus::kAccessDenied;
    default: return RegistryStatus::kFailed;
  }
}

std::wstring Wide(const std::string& utf8) {
  const std::u16string units = Utf8ToUtf16(utf8);
  return std::wstring(units.begin(), units.end());
}

std::string Narrow(const wchar_t* text, size_t length) {
  return Utf16ToUtf8(std::u16string(text, text + length));
}

HKEY RootHandle(RegistryRoot root) {
  return root == RegistryRoot::kLocalMachine ? HKEY_LOCAL_MACHINE : HKEY_CLASSES_ROOT;
}

class WinKey : public RegistryKey {
 public:
  explicit WinKey(HKEY key) : key_(key) {}
  ~WinKey() override { RegCloseKey(key_); }

  RegistryStatus QueryValue(const std::string& name, uint32_t* type, uint8_t* data,
                            uint32_t* size) override {
    DWORD native_type = REG_NONE;
    DWORD native_size = size ? *size : 0;
    const LONG error = RegQueryValueExW(key_, Wide(name).c_str(), nullptr, &native_type,
                                        data, size ? &native_size : nullptr);
    if (type) *type = native_type;
    if (size) *size = native_size;
    return FromWin32(error);
  }

  RegistryStatus SetValue(const std::string& name, uint32_t type, const uint8_t* data,
                          uint32_t size) override {
    return FromWin32(RegSetValueExW(key_, Wide(name).c_str(), 0, type, data, size));
  }

  RegistryStatus DeleteValue(const std::string& name) override {
    return FromWin32(RegDeleteValueW(key_, Wide(name).c_str()));
  }

  RegistryStatus EnumSubKey(uint32_t index, std::string* name) override {
    wchar_t buffer[kMaxKeyNameChars];
    DWORD chars = kMaxKeyNameChars;
    const LONG error =
        RegEnumKeyExW(key_, index, buffer, &chars, nullptr, nullptr, nullptr, nullptr);
    if (error == ERROR_SUCCESS) *name = Narrow(buffer, chars);
    return FromWin32(error);
  }

  RegistryStatus EnumValue(uint32_t index, std::string* name) override {
    std::wstring buffer(kMaxValueNameChars, L'\0');
    DWORD chars = kMaxValueNameChars;
    const LONG error =
        RegEnumValueW(key_, index, &buffer[0], &chars, nullptr, nullptr, nullptr, nullptr);
    if (error == ERROR_SUCCESS) *name = Narrow(buffer.data(), chars);
    return FromWin32(error);
  }

  RegistryStatus CountSubKeys(uint32_t* count) override {
    DWORD subkeys = 0;
    const LONG error = RegQueryInfoKeyW(key_, nullptr, nullptr, nullptr, &subkeys, nullptr,
                                        nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
    if (error == ERROR_SUCCESS) *count = subkeys;
    return FromWin32(error);
  }

 private:
  HKEY key_;
};

// One entry, SET_ACCESS, no inheritance: KEY_ALL_ACCESS for the built-in
// Administrators group (S-1-5-32-544). The caller frees |*acl| and
// |*admins| with LocalFree and FreeSid; false leaves default security.
bool BuildAdministratorsOnly(SECURITY_DESCRIPTOR* sd, PACL* acl, PSID* admins) {
  SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY;
  if (!AllocateAndInitializeSid(&nt, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS,
                                0, 0, 0, 0, 0, 0, admins)) {
    return false;
  }
  EXPLICIT_ACCESSW access = {};
  access.grfAccessPermissions = KEY_ALL_ACCESS;
  access.grfAccessMode = SET_ACCESS;
  access.grfInheritance = NO_INHERITANCE;
  access.Trustee.TrusteeForm = TRUSTEE_IS_SID;
  access.Trustee.TrusteeType = TRUSTEE_IS_GROUP;
  access.Trustee.ptstrName = static_cast<LPWSTR>(*admins);
  return SetEntriesInAclW(1, &access, nullptr, acl) == ERROR_SUCCESS &&
         InitializeSecurityDescriptor(sd, SECURITY_DESCRIPTOR_REVISION) &&
         SetSecurityDescriptorDacl(sd, TRUE, *acl, FALSE);
}

class WinRegistry : public Registry {
 public:
  RegistryStatus OpenKey(RegistryRoot root, const std::string& path,
                         std::unique_ptr<RegistryKey>* key) override {
    HKEY handle = nullptr;
    LONG error = RegOpenKeyExW(RootHandle(root), Wide(path).c_str(), 0,
                               KEY_READ | KEY_WRITE | kView, &handle);
    if (error == ERROR_ACCESS_DENIED) {
      error = RegOpenKeyExW(RootHandle(root), Wide(path).c_str(), 0, KEY_READ | kView, &handle);
    }
    if (error == ERROR_SUCCESS) key->reset(new WinKey(handle));
    return FromWin32(error);
  }

  RegistryStatus CreateKey(RegistryRoot root, const std::string& path, KeyProtection protection,
                           std::unique_ptr<RegistryKey>* key) override {
    SECURITY_DESCRIPTOR sd;
    PACL acl = nullptr;
    PSID admins = nullptr;
    SECURITY_ATTRIBUTES attributes = {sizeof(attributes), &sd, FALSE};
    const bool protect = protection == KeyProtection::kAdministratorsOnly &&
                         BuildAdministratorsOnly(&sd, &acl, &admins);
    HKEY handle = nullptr;
    const LONG error = RegCreateKeyExW(RootHandle(root), Wide(path).c_str(), 0, nullptr,
                                       REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS | kView,
                                       protect ? &attributes : nullptr, &handle, nullptr);
    if (acl) LocalFree(acl);
    if (admins) FreeSid(admins);
    if (error == ERROR_SUCCESS) key->reset(new WinKey(handle));
    return FromWin32(error);
  }

  RegistryStatus DeleteTree(RegistryRoot root, const std::string& path) override {
    std::string trimmed = path;
    while (!trimmed.empty() && trimmed.back() == '\\') trimmed.pop_back();
    const size_t slash = trimmed.find_last_of('\\');
    const std::string parent = slash == std::string::npos ? "" : trimmed.substr(0, slash);
    const std::string leaf = trimmed.substr(slash == std::string::npos ? 0 : slash + 1);
    if (leaf.empty()) return RegistryStatus::kAccessDenied;
    HKEY handle = nullptr;
    LONG error = RegOpenKeyExW(RootHandle(root), Wide(parent).c_str(), 0,
                               KEY_ALL_ACCESS | kView, &handle);
    if (error != ERROR_SUCCESS) return FromWin32(error);
    error = RegDeleteTreeW(handle, Wide(leaf).c_str());
    RegCloseKey(handle);
    return FromWin32(error);
  }
};

}  // namespace

std::shared_ptr<Registry> CreateDefaultMachineRegistry() {
  return std::make_shared<WinRegistry>();
}

}  // namespace platform
