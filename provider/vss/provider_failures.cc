#include "provider/vss/provider_failures.h"

#include <new>
#include <stdexcept>

#include "library/log/logger.h"
#include "library/rest/kova_rest_exception.h"
#include "platform/vss_compat.h"

HRESULT MapCurrentException(const char* rest_log_format, uint32_t rest_event_id) noexcept {
  try {
    try {
      throw;
    } catch (const KovaStorage::KovaRestException& e) {
      Logger::Write(LOG_ERROR, kProviderLogTag, rest_log_format, e.what());
      LogEvent(kCategoryUserError, kEventTypeError, rest_event_id, "%hs", e.what());
      return VSS_E_PROVIDER_VETO;
    } catch (const std::invalid_argument& e) {
      Logger::Write(LOG_ERROR, kProviderLogTag, "Invalid argument: %hs", e.what());
      return E_INVALIDARG;
    } catch (const std::bad_alloc& e) {
      Logger::Write(LOG_ERROR, kProviderLogTag, "Out of memory: %hs", e.what());
      return E_OUTOFMEMORY;
    } catch (const std::exception& e) {
      Logger::Write(LOG_ERROR, kProviderLogTag, "Unexpected failure: %hs", e.what());
      return VSS_E_PROVIDER_VETO;
    }
  } catch (...) {
    return UnexpectedFailure();
  }
}

HRESULT UnexpectedFailure() noexcept {
  try {
    throw;
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  } catch (...) {
    return E_UNEXPECTED;
  }
}
