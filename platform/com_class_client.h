// Objects of a COM class that another process serves, as VSS reaches a
// provider: the server is started by activation when it is not running.
//
// Windows: CoCreateInstance(clsid, no outer object, CLSCTX_LOCAL_SERVER,
// iid) on a thread whose apartment the caller has initialised
// (ComRuntime::InitializeApartment).
// POSIX: no COM: kComServerNotAvailable.
#pragma once

#include "platform/com_runtime.h"
#include "platform/guid.h"
#include "platform/hresult.h"

namespace platform {

// The interface |iid| of a new object of |clsid| in |*object|, with one
// reference; null and the failure otherwise.
HRESULT CreateLocalServerObject(const GUID& clsid, const GUID& iid, void** object);

}  // namespace platform
