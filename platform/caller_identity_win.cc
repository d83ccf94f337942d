#include <windows.h>

#include <objbase.h>

#include "platform/caller_identity.h"

namespace platform {
namespace {

// Whether |token| holds the built-in Administrators group.
HRESULT CheckTokenIsAdministrator(HANDLE token) {
  SID_IDENTIFIER_AUTHORITY nt_authority = SECURITY_NT_AUTHORITY;
  PSID administrators = nullptr;
  if (!AllocateAndInitializeSid(&nt_authority, 2, SECURITY_BUILTIN_DOMAIN_RID,
                                DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0, 0, 0, &administrators)) {
    return E_OUTOFMEMORY;
  }
  BOOL member = FALSE;
  HRESULT result = E_ACCESSDENIED;
  if (CheckTokenMembership(token, administrators, &member) && member) result = S_OK;
  FreeSid(administrators);
  return result;
}

// Wine's COM hands a server no call context, so CoImpersonateClient
// answers RPC_E_CALL_COMPLETE even inside a call from another process.
// Every process there runs with the one user's token, the client's too.
bool ComHasNoCallContexts() {
  const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

}  // namespace

HRESULT CheckCallerIsAdministrator() {
  uint32_t user_id = 0;
  if (ScopedCallerUserId(&user_id)) return user_id == 0 ? S_OK : E_ACCESSDENIED;

  const HRESULT impersonated = CoImpersonateClient();
  // A null token: the process's own, which under Wine is the client's.
  if (impersonated == RPC_E_CALL_COMPLETE && ComHasNoCallContexts()) return CheckTokenIsAdministrator(nullptr);
  if (impersonated != S_OK) return E_ACCESSDENIED;
  HANDLE token = nullptr;
  if (!OpenThreadToken(GetCurrentThread(), TOKEN_QUERY, TRUE, &token)) {
    CoRevertToSelf();
    return E_ACCESSDENIED;
  }
  // The membership test runs as ourselves on the client's token.
  if (FAILED(CoRevertToSelf())) {
    CloseHandle(token);
    return E_ACCESSDENIED;
  }
  const HRESULT result = CheckTokenIsAdministrator(token);
  CloseHandle(token);
  return result;
}

}  // namespace platform
