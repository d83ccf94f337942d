#include "provider/vss/kova_vss_provider.h"

#include <algorithm>
#include <stdexcept>
#include <string>

#include "library/config/registry_readers.h"
#include "library/log/logger.h"
#include "library/rest/kova_array.h"
#include "platform/caller_identity.h"
#include "platform/secure_zero.h"
#include "provider/vss/provider_failures.h"

namespace {

constexpr const char* kTag = kProviderLogTag;

}  // namespace

CKovaVssProvider::CKovaVssProvider() {
  Logger::Write(LOG_INFO, kTag, "ENTERING: CKovaVssProvider::CKovaVssProvider()");
  try {
    DiscoverLumenstacks(kovaLibrary);
  } catch (const std::exception& e) {
    Logger::Write(LOG_ERROR, kTag, "CKovaVssProvider::CKovaVssProvider() failed with %hs", e.what());
  } catch (...) {
    Logger::Write(LOG_ERROR, kTag, "CKovaVssProvider::CKovaVssProvider() failed");
  }
  Logger::Write(LOG_INFO, kTag, "EXITING: CKovaVssProvider::CKovaVssProvider");
}

CKovaVssProvider::~CKovaVssProvider() {
  Logger::Write(LOG_INFO, kTag, "ENTERING: CKovaVssProvider::~CKovaVssProvider()");
  try {
    OnUnload(TRUE);
    kovaLibrary.Reset();
  } catch (const std::exception& e) {
    Logger::Write(LOG_ERROR, kTag, "CKovaVssProvider::~CKovaVssProvider() failed with %hs",
                  e.what());
  } catch (...) {
  }
  Logger::Write(LOG_INFO, kTag, "EXITING: CKovaVssProvider::~CKovaVssProvider()");
}

HRESULT CKovaVssProvider::QueryInterface(REFIID iid, void** object) {
  if (object == nullptr) return E_POINTER;
  *object = nullptr;
  if (iid == IID_IKovaVssProvider || iid == IID_IUnknown) {
    *object = static_cast<IKovaVssProvider*>(this);
  } else if (iid == IID_IVssProviderCreateSnapshotSet) {
    *object = static_cast<IVssProviderCreateSnapshotSet*>(this);
  } else if (iid == IID_IVssHardwareSnapshotProvider) {
    *object = static_cast<IVssHardwareSnapshotProvider*>(
        static_cast<IVssHardwareSnapshotProviderEx*>(this));
  } else if (iid == IID_IVssProviderNotifications) {
    *object = static_cast<IVssProviderNotifications*>(this);
  } else if (iid == IID_IVssHardwareSnapshotProviderEx) {
    *object = static_cast<IVssHardwareSnapshotProviderEx*>(this);
  } else {
    return E_NOINTERFACE;
  }
  AddRef();
  return S_OK;
}

ULONG CKovaVssProvider::AddRef() { return ++refCount; }

ULONG CKovaVssProvider::Release() {
  const ULONG remaining = --refCount;
  if (remaining == 0) delete this;
  return remaining;
}

HRESULT CKovaVssProvider::CheckCallerIsAdministrator() {
  try {
    return platform::CheckCallerIsAdministrator();
  } catch (...) {
    return E_ACCESSDENIED;
  }
}

HRESULT CKovaVssProvider::RefuseUnauthorizedCaller(const char* exit_line) {
  LogEvent(kCategoryUserError, kEventTypeError, kEventCallerNotAdministrator, "");
  Logger::Write(LOG_ERROR, kTag, exit_line, VSS_E_PROVIDER_VETO);
  return VSS_E_PROVIDER_VETO;
}

void CKovaVssProvider::DiscoverLumenstacks(KovaLibrary& arrays) {
  Logger::Write(LOG_INFO, kTag, "ENTERING: CKovaVssProvider::DiscoverLumenstacks()");
  std::vector<utility::string_t> names;
  utility::string_t rest_version;
  try {
    Utilities::GetLumenstacks(names);
    rest_version = Utilities::GetRestAPIVersion();
  } catch (const std::exception& e) {
    Logger::Write(LOG_ERROR, kTag,
                  "EXITING: DiscoverLumenstacks. Failed to Get Lumenstack information, Exception: %hs",
                  e.what());
    LogEvent(kCategoryUserError, kEventTypeError, kEventArrayConfigurationMissing, "Exception: %hs",
             e.what());
    return;
  }
  for (const utility::string_t& name : names) InitializeLumenstack(arrays, name, rest_version);
  Logger::Write(LOG_INFO, kTag, "EXITING: CKovaVssProvider::DiscoverLumenstacks()");
}

void CKovaVssProvider::InitializeLumenstack(KovaLibrary& arrays, const utility::string_t& name,
                                            const utility::string_t& rest_version) {
  try {
    utility::string_t url;
    utility::string_t token;
    platform::ScopedSecureWipe<utility::string_t> wipe_token(&token);
    Utilities::GetLumenstackCredentials(name, url, token);
    if (arrays.CreateKovaArrayObject(name, url, token, rest_version) == nullptr) {
      Logger::Write(LOG_ERROR, kTag, "Failed to Initialize array (%ls)", name);
      LogEvent(kCategoryUserError, kEventTypeError, kEventArrayUnreachable, "Array name:%ls", name);
    }
  } catch (const std::exception& e) {
    Logger::Write(LOG_ERROR, kTag, "Failed to Initialize array, Exception: %hs", e.what());
    LogEvent(kCategoryUserError, kEventTypeError, kEventArrayUnreachable, "Exception: %hs",
             e.what());
  }
}

HRESULT CKovaVssProvider::OnLoad(IUnknown* /*callback*/) {
  try {
    const std::string rule(36, '+');
    Logger::Write(LOG_INFO, kTag, "%hs", rule);
    Logger::Write(LOG_INFO, kTag, "ENTERING: CKovaVssProvider::OnLoad()");
    Logger::Write(LOG_INFO, kTag, "%hs", rule);
    // The state is read under the lock: another thread may be changing it.
    const VSS_SNAPSHOT_STATE current = CurrentState();
    HRESULT result = S_OK;
    if (current != VSS_SS_UNKNOWN) {
      Logger::Write(LOG_ERROR, kTag, "CKovaVssProvider::OnLoad() called with unexpected state=%ld",
                    static_cast<long>(current));
      result = VSS_E_PROVIDER_VETO;
    }
    Logger::Write(LOG_INFO, kTag, "EXITING: CKovaVssProvider::OnLoad (Return code=(%x))", result);
    return result;
  } catch (...) {
    return UnexpectedFailure();
  }
}

HRESULT CKovaVssProvider::OnUnload(BOOL force_unload) {
  try {
    std::lock_guard<std::recursive_mutex> hold(lock);
    const std::string rule(84, '-');
    Logger::Write(LOG_INFO, kTag, "%hs", rule);
    Logger::Write(LOG_INFO, kTag, "ENTERING: CKovaVssProvider::OnUnload - bForceUnload = %hs",
                  force_unload ? "yes" : "no");
    Logger::Write(LOG_INFO, kTag, "%hs", rule);
    HRESULT result = S_OK;
    if (state != VSS_SS_UNKNOWN && state != VSS_SS_CREATED && state != VSS_SS_ABORTED) {
      try {
        result = DeletePendingSnapshots();
      } catch (const std::bad_alloc&) {
        result = E_OUTOFMEMORY;
      }
    }
    state = VSS_SS_UNKNOWN;
    Logger::Write(LOG_INFO, kTag, "EXITING: CKovaVssProvider::OnUnload (Return code=(%x))", result);
    return result;
  } catch (...) {
    return UnexpectedFailure();
  }
}

HRESULT CKovaVssProvider::GetProviderCapabilities(ULONGLONG* /*original_capability_mask*/) {
  try {
    Logger::Write(LOG_ERROR, kTag, "Unsupported VSS API(GetProviderCapabilities()) got called.");
  } catch (...) {
  }
  return E_NOTIMPL;
}

VSS_SNAPSHOT_STATE CKovaVssProvider::CurrentState() const {
  std::lock_guard<std::recursive_mutex> hold(lock);
  return state;
}

std::vector<CKovaVssProvider::PendingSnapshot> CKovaVssProvider::PendingSnapshots() const {
  std::lock_guard<std::recursive_mutex> hold(lock);
  return pendingSnapshots;
}
