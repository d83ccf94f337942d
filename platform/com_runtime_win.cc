#include <windows.h>

#include <objbase.h>

#include <atomic>
#include <mutex>
#include <vector>

#include "platform/com_object_win.h"
#include "platform/com_runtime.h"

namespace platform {
namespace {

class CallbackClassFactory : public ComObject<IClassFactory> {
 public:
  explicit CallbackClassFactory(ClassObjectCallbacks callbacks)
      : ComObject<IClassFactory>(IID_IClassFactory), callbacks_(std::move(callbacks)) {}

  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** object) override {
    if (object == nullptr) return E_POINTER;
    *object = nullptr;
    if (outer != nullptr) return CLASS_E_NOAGGREGATION;
    return callbacks_.create_instance(iid, object);
  }
  HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override {
    callbacks_.lock_server(lock != FALSE);
    return S_OK;
  }

 private:
  ClassObjectCallbacks callbacks_;
};

// The token's owner or primary group, copied out of the token.
std::vector<BYTE> TokenPart(HANDLE token, TOKEN_INFORMATION_CLASS part) {
  DWORD size = 0;
  GetTokenInformation(token, part, nullptr, 0, &size);
  std::vector<BYTE> data(size);
  if (size == 0 || !GetTokenInformation(token, part, data.data(), size, &size)) data.clear();
  return data;
}

HANDLE OpenCallersToken() {
  HANDLE token = nullptr;
  if (OpenThreadToken(GetCurrentThread(), TOKEN_QUERY, TRUE, &token)) return token;
  if (OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return token;
  return nullptr;
}

class WindowsComRuntime : public ComRuntime {
 public:
  HRESULT InitializeApartment(bool multithreaded) override {
    return CoInitializeEx(nullptr, multithreaded ? COINIT_MULTITHREADED : COINIT_APARTMENTTHREADED);
  }
  void UninitializeApartment() override { CoUninitialize(); }
  bool IsDotNetRuntimeLoaded() override { return GetModuleHandleW(L"Mscoree.dll") != nullptr; }

  HRESULT InitializeSecurity() override {
    HANDLE token = OpenCallersToken();
    if (token == nullptr) return HRESULT_FROM_WIN32(GetLastError());
    const std::vector<BYTE> owner = TokenPart(token, TokenOwner);
    const std::vector<BYTE> group = TokenPart(token, TokenPrimaryGroup);
    CloseHandle(token);
    if (owner.empty() || group.empty()) return HRESULT_FROM_WIN32(GetLastError());
    SECURITY_DESCRIPTOR descriptor;
    if (!InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION) ||
        !SetSecurityDescriptorOwner(&descriptor, reinterpret_cast<const TOKEN_OWNER*>(owner.data())->Owner, FALSE) ||
        !SetSecurityDescriptorGroup(
            &descriptor, reinterpret_cast<const TOKEN_PRIMARY_GROUP*>(group.data())->PrimaryGroup, FALSE) ||
        !SetSecurityDescriptorDacl(&descriptor, TRUE, nullptr, FALSE)) {
      return HRESULT_FROM_WIN32(GetLastError());
    }
    // Not checked: the provider object checks each caller itself.
    CoInitializeSecurity(&descriptor, -1, nullptr, nullptr, RPC_C_AUTHN_LEVEL_PKT,
                         RPC_C_IMP_LEVEL_IMPERSONATE, nullptr, EOAC_NONE, nullptr);
    return S_OK;
  }

  HRESULT RegisterClassObject(const GUID& clsid, ClassObjectCallbacks callbacks) override {
    auto* factory = new CallbackClassFactory(std::move(callbacks));
    DWORD cookie = 0;
    const HRESULT result = CoRegisterClassObject(clsid, factory, CLSCTX_LOCAL_SERVER,
                                                 REGCLS_MULTIPLEUSE | REGCLS_SUSPENDED, &cookie);
    factory->Release();  // COM holds its own reference while registered
    if (SUCCEEDED(result)) {
      std::lock_guard<std::mutex> hold(mutex_);
      cookies_.push_back(cookie);
    }
    return result;
  }

  HRESULT ResumeClassObjects() override { return CoResumeClassObjects(); }

  void RevokeClassObjects() override {
    std::lock_guard<std::mutex> hold(mutex_);
    for (const DWORD cookie : cookies_) CoRevokeClassObject(cookie);
    cookies_.clear();
  }

  uint32_t AddRefServerProcess() override { return CoAddRefServerProcess(); }
  uint32_t ReleaseServerProcess() override { return CoReleaseServerProcess(); }

 private:
  std::mutex mutex_;
  std::vector<DWORD> cookies_;
};

}  // namespace

ComRuntime& SystemComRuntime() {
  static ComRuntime* const runtime = new WindowsComRuntime;
  return *runtime;
}

}  // namespace platform
