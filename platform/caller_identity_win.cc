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

}  // namespace

HRESULT CheckCallerIsAdministrator() {
  uint32_t user_id = 0;
  if (ScopedCallerUserId(&user_id)) return user_id == 0 ? S_OK : E_ACCESSDENIED;

  if (CoImpersonateClient() != S_OK) return E_ACCESSDENIED;
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
