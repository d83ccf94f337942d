#include <windows.h>

#include "platform/hyperv_guest_parameters.h"
#include "platform/utf16.h"

namespace platform {
namespace {

constexpr wchar_t kGuestParametersKey[] =
    L"SOFTWARE\\Microsoft\\Virtual Machine\\Guest\\Parameters";

class RegistryGuestParameters : public HyperVGuestParameters {
 public:
  explicit RegistryGuestParameters(HKEY key) : key_(key) {}
  ~RegistryGuestParameters() override { RegCloseKey(key_); }

  bool Read(const std::string& name, std::string* value) override {
    const std::u16string wide_name = Utf8ToUtf16(name);
    wchar_t buffer[kHyperVParameterMaxChars + 1] = {};
    DWORD size = sizeof buffer;
    DWORD type = 0;
    if (RegQueryValueExW(key_, reinterpret_cast<const wchar_t*>(wide_name.c_str()), nullptr, &type,
                         reinterpret_cast<BYTE*>(buffer), &size) != ERROR_SUCCESS) {
      return false;
    }
    if (type != REG_SZ && type != REG_EXPAND_SZ) return false;
    buffer[kHyperVParameterMaxChars] = L'\0';
    const std::wstring text(buffer);
    *value = Utf16ToUtf8(std::u16string(text.begin(), text.end()));
    return true;
  }

 private:
  HKEY key_;
};

}  // namespace

std::unique_ptr<HyperVGuestParameters> OpenHyperVGuestParameters() {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kGuestParametersKey, 0, KEY_READ, &key) != ERROR_SUCCESS) {
    return nullptr;
  }
  return std::make_unique<RegistryGuestParameters>(key);
}

}  // namespace platform
