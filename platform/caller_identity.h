// Who the calling client of a service method is, and whether it may act as
// an administrator.
//
// A server thread may work on behalf of a client other than its own
// process: a service host that receives a request over a socket sets the
// peer's identity for the thread while it serves the request
// (ScopedCallerIdentity). Without such an identity the caller is the
// process itself.
//
// POSIX: an administrator is a caller whose (effective) user id is 0.
// Windows: the client is impersonated (CoImpersonateClient) and its thread
// token must hold the built-in Administrators group (S-1-5-32-544). Wine's
// COM gives servers no call context to impersonate; there the process's
// own token, which every process shares, is checked instead. A
// scoped identity, which only tests set there, stands for the client
// instead: user id 0 is an administrator, any other id is not.
#pragma once

#include <cstdint>

#include "platform/hresult.h"

namespace platform {

// S_OK when the caller is an administrator; E_ACCESSDENIED when it is not
// or cannot be identified; E_OUTOFMEMORY when the check cannot be built.
HRESULT CheckCallerIsAdministrator();

// Makes |user_id| the caller of the current thread until destruction, when
// the previous caller (or none) is restored. Scopes nest.
class ScopedCallerIdentity {
 public:
  explicit ScopedCallerIdentity(uint32_t user_id);
  ~ScopedCallerIdentity();
  ScopedCallerIdentity(const ScopedCallerIdentity&) = delete;
  ScopedCallerIdentity& operator=(const ScopedCallerIdentity&) = delete;

 private:
  bool had_previous_;
  uint32_t previous_;
};

// The current thread's scoped caller; false when none is set.
bool ScopedCallerUserId(uint32_t* user_id);

}  // namespace platform
