// How the provider's methods turn the exception being handled into their
// one HRESULT, and their shared failure reports.
#pragma once

#include <cstdint>

#include "library/log/log_tags.h"
#include "platform/hresult.h"


// Call only inside a catch block. KovaStorage::KovaRestException: logs
// |rest_log_format| at error level (with the message as its one argument)
// and reports event |rest_event_id| (category 1, error) with the message;
// VSS_E_PROVIDER_VETO. std::invalid_argument: E_INVALIDARG,
// std::bad_alloc: E_OUTOFMEMORY, any other std::exception:
// VSS_E_PROVIDER_VETO, each with an error line holding its text; anything
// else E_UNEXPECTED. Never throws.
HRESULT MapCurrentException(const char* rest_log_format, uint32_t rest_event_id) noexcept;

// The last resort of a method's outermost handler: E_OUTOFMEMORY for
// std::bad_alloc, E_UNEXPECTED otherwise; logs nothing. Call only inside a
// catch block.
HRESULT UnexpectedFailure() noexcept;
