// COM as a local server process uses it: the apartment of a thread, the
// process's security, the class objects it offers to other processes and
// the server process's reference count.
//
// Windows: CoInitializeEx, CoUninitialize, CoInitializeSecurity,
// CoRegisterClassObject (CLSCTX_LOCAL_SERVER, REGCLS_MULTIPLEUSE |
// REGCLS_SUSPENDED), CoResumeClassObjects, CoRevokeClassObject,
// CoAddRefServerProcess and CoReleaseServerProcess.
// POSIX: there is no COM. Apartments and security succeed and do nothing;
// RegisterClassObject fails with kComServerNotAvailable, so no other process
// can reach a class object; the server process count is a plain counter.
#pragma once

#include <cstdint>
#include <functional>

#include "platform/guid.h"
#include "platform/hresult.h"

#ifndef _WIN32
constexpr HRESULT RPC_E_CHANGED_MODE = static_cast<HRESULT>(0x80010106);
#endif

namespace platform {

// HRESULT_FROM_WIN32(ERROR_NOT_SUPPORTED): this platform cannot serve COM
// class objects to other processes.
inline constexpr HRESULT kComServerNotAvailable = static_cast<HRESULT>(0x80070032);

// What a registered class object does when COM calls it.
struct ClassObjectCallbacks {
  // IClassFactory::CreateInstance without an outer object: the interface
  // |iid| of a new object in |*object|, with one reference.
  std::function<HRESULT(const GUID& iid, void** object)> create_instance;
  // IClassFactory::LockServer.
  std::function<void(bool lock)> lock_server;
};

class ComRuntime {
 public:
  virtual ~ComRuntime() = default;

  // For the calling thread: the multithreaded or a single-threaded
  // apartment. S_OK, S_FALSE when it was initialised already (to be
  // balanced all the same), or the failure (RPC_E_CHANGED_MODE when the
  // thread is in the other kind).
  virtual HRESULT InitializeApartment(bool multithreaded) = 0;
  virtual void UninitializeApartment() = 0;
  // Whether the .NET runtime ("Mscoree.dll") is loaded in this process.
  virtual bool IsDotNetRuntimeLoaded() = 0;

  // Process security: a descriptor whose owner and group are the calling
  // thread's token's (the process token when the thread has none) without
  // a discretionary access list, authentication services chosen by COM,
  // level RPC_C_AUTHN_LEVEL_PKT, impersonation RPC_C_IMP_LEVEL_IMPERSONATE,
  // EOAC_NONE. A failure to build the descriptor is returned; the result of
  // CoInitializeSecurity itself is not (callers are checked per call).
  virtual HRESULT InitializeSecurity() = 0;

  // Registers a suspended, multiple-use class object for |clsid|; the
  // callbacks live until RevokeClassObjects.
  virtual HRESULT RegisterClassObject(const GUID& clsid, ClassObjectCallbacks callbacks) = 0;
  virtual HRESULT ResumeClassObjects() = 0;
  // Revokes every class object registered; calls in progress go on.
  virtual void RevokeClassObjects() = 0;

  // The server process's reference count, after the change.
  virtual uint32_t AddRefServerProcess() = 0;
  virtual uint32_t ReleaseServerProcess() = 0;
};

// The operating system's COM, alive for the whole process.
ComRuntime& SystemComRuntime();

}  // namespace platform
