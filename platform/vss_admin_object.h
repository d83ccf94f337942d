// A COM object with the VSS coordinator's administration interface
// (IVssAdmin) over a VssAdministration: what a process that stands in for
// the coordinator hands to its clients.
//
// Windows: IUnknown and IVssAdmin with a thread-safe reference count;
// RegisterProvider and UnregisterProvider pass to the administration,
// QueryProviders and AbortAllSnapshotsInProgress answer E_NOTIMPL.
// POSIX: no COM: kComServerNotAvailable.
#pragma once

#include <functional>
#include <memory>

#include "platform/com_runtime.h"
#include "platform/guid.h"
#include "platform/vss_coordinator.h"

namespace platform {

// The interface |iid| of a new object in |*object| with one reference.
// |on_last_release| runs exactly once: when its last reference goes, or
// at once when no object is handed out.
HRESULT CreateVssAdminObject(std::shared_ptr<VssAdministration> administration,
                             std::function<void()> on_last_release, const GUID& iid,
                             void** object);

}  // namespace platform
