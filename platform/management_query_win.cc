#define _WIN32_DCOM
#include <windows.h>
#include <comdef.h>
#include <wbemidl.h>

#include "platform/management_query.h"
#include "platform/utf16.h"

namespace platform {
namespace {

_bstr_t Bstr(const std::string& utf8) {
  const std::u16string wide = Utf8ToUtf16(utf8);
  return _bstr_t(reinterpret_cast<const wchar_t*>(wide.c_str()));
}

// Text in the system's ANSI code page, as the callers log and compare it.
std::string Ansi(const wchar_t* text) {
  if (!text || !*text) return std::string();
  const int size = WideCharToMultiByte(CP_ACP, 0, text, -1, nullptr, 0, nullptr, nullptr);
  if (size <= 1) return std::string();
  std::string narrow(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(CP_ACP, 0, text, -1, &narrow[0], size, nullptr, nullptr);
  narrow.resize(static_cast<size_t>(size - 1));
  return narrow;
}

std::vector<uint8_t> ByteArray(SAFEARRAY* array) {
  std::vector<uint8_t> bytes;
  LONG lower = 0, upper = -1;
  if (!array || FAILED(SafeArrayGetLBound(array, 1, &lower)) ||
      FAILED(SafeArrayGetUBound(array, 1, &upper))) {
    return bytes;
  }
  for (LONG i = lower; i <= upper; ++i) {
    BYTE byte = 0;
    SafeArrayGetElement(array, &i, &byte);
    bytes.push_back(byte);
  }
  return bytes;
}

template <typename T>
T Changed(VARIANT& source, VARTYPE type, T VARIANT::*member) {
  VARIANT copy;
  VariantInit(&copy);
  T result{};
  if (SUCCEEDED(VariantChangeType(&copy, &source, 0, type))) result = copy.*member;
  VariantClear(&copy);
  return result;
}

class WmiObject : public ManagementObject {
 public:
  explicit WmiObject(IWbemClassObject* object) : object_(object) {}
  ~WmiObject() override { object_->Release(); }

  HRESULT Get(const std::string& name, ManagementValue* value) override {
    *value = ManagementValue{};
    VARIANT variant;
    VariantInit(&variant);
    const HRESULT result = object_->Get(Bstr(name), 0, &variant, nullptr, nullptr);
    Convert(variant, value);
    VariantClear(&variant);
    return result;
  }

  std::string ObjectText() override {
    BSTR text = nullptr;
    if (FAILED(object_->GetObjectText(0, &text))) return std::string();
    const std::string narrow = Ansi(text);
    SysFreeString(text);
    return narrow;
  }

 private:
  static void Convert(VARIANT& variant, ManagementValue* value) {
    value->type = variant.vt;
    if (variant.vt == (VT_ARRAY | VT_UI1)) {
      value->bytes = ByteArray(variant.parray);
      return;
    }
    if (variant.vt & VT_ARRAY) return;
    switch (variant.vt) {
      case VT_I1:
      case VT_I2:
      case VT_I4:
      case VT_I8:
      case VT_UI1:
      case VT_UI2:
      case VT_UI4:
      case VT_UI8:
      case VT_INT:
      case VT_UINT:
        value->integer = Changed<LONGLONG>(variant, VT_I8, &VARIANT::llVal);
        break;
      case VT_R4:
      case VT_R8:
        value->real = Changed<DOUBLE>(variant, VT_R8, &VARIANT::dblVal);
        break;
      case VT_BOOL:
        value->boolean = variant.boolVal != VARIANT_FALSE;
        break;
      case VT_BSTR:
        value->text = Ansi(variant.bstrVal);
        break;
      case VT_UNKNOWN: {
        IWbemClassObject* embedded = nullptr;
        if (variant.punkVal && SUCCEEDED(variant.punkVal->QueryInterface(
                                   IID_IWbemClassObject, reinterpret_cast<void**>(&embedded)))) {
          value->object = std::make_unique<WmiObject>(embedded);
        }
        break;
      }
      default:
        break;
    }
  }

  IWbemClassObject* object_;
};

class WmiEnumerator : public ManagementEnumerator {
 public:
  explicit WmiEnumerator(IEnumWbemClassObject* enumerator) : enumerator_(enumerator) {}
  ~WmiEnumerator() override { enumerator_->Release(); }

  HRESULT Next(std::unique_ptr<ManagementObject>* object) override {
    object->reset();
    IWbemClassObject* instance = nullptr;
    ULONG returned = 0;
    const HRESULT result = enumerator_->Next(static_cast<LONG>(WBEM_INFINITE), 1, &instance, &returned);
    if (returned != 0 && instance) *object = std::make_unique<WmiObject>(instance);
    return result;
  }

 private:
  IEnumWbemClassObject* enumerator_;
};

class WmiServices : public ManagementServices {
 public:
  explicit WmiServices(IWbemServices* services) : services_(services) {}
  ~WmiServices() override { services_->Release(); }

  HRESULT SetProxySecurity() override {
    return CoSetProxyBlanket(services_, RPC_C_AUTHN_WINNT, RPC_C_AUTHZ_NONE, nullptr,
                             RPC_C_AUTHN_LEVEL_CALL, RPC_C_IMP_LEVEL_IMPERSONATE, nullptr,
                             EOAC_NONE);
  }

  HRESULT ExecQuery(const std::string& wql,
                    std::unique_ptr<ManagementEnumerator>* enumerator) override {
    enumerator->reset();
    IEnumWbemClassObject* instances = nullptr;
    const HRESULT result = services_->ExecQuery(
        _bstr_t(L"WQL"), Bstr(wql), WBEM_FLAG_FORWARD_ONLY | WBEM_FLAG_RETURN_IMMEDIATELY, nullptr,
        &instances);
    if (SUCCEEDED(result) && instances) *enumerator = std::make_unique<WmiEnumerator>(instances);
    return result;
  }

 private:
  IWbemServices* services_;
};

class WmiLocator : public ManagementLocator {
 public:
  explicit WmiLocator(IWbemLocator* locator) : locator_(locator) {}
  ~WmiLocator() override { locator_->Release(); }

  HRESULT ConnectServer(const std::string& namespace_path,
                        std::unique_ptr<ManagementServices>* services) override {
    services->reset();
    IWbemServices* connection = nullptr;
    const HRESULT result = locator_->ConnectServer(Bstr(namespace_path), nullptr, nullptr, nullptr,
                                                   0, nullptr, nullptr, &connection);
    if (SUCCEEDED(result) && connection) *services = std::make_unique<WmiServices>(connection);
    return result;
  }

 private:
  IWbemLocator* locator_;
};

class WmiManagement : public Management {
 public:
  HRESULT CreateLocator(std::unique_ptr<ManagementLocator>* locator) override {
    locator->reset();
    IWbemLocator* created = nullptr;
    const HRESULT result = CoCreateInstance(CLSID_WbemLocator, nullptr, CLSCTX_INPROC_SERVER,
                                            IID_IWbemLocator, reinterpret_cast<void**>(&created));
    if (SUCCEEDED(result) && created) *locator = std::make_unique<WmiLocator>(created);
    return result;
  }
};

}  // namespace

Management& SystemManagement() {
  static Management* const management = new WmiManagement;
  return *management;
}

}  // namespace platform
