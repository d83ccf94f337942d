// The Win32 error code that stands for a registry status, as the registry
// functions of Windows return them, and its HRESULT.
#pragma once

#include <cstdint>

#include "platform/hresult.h"
#include "platform/registry.h"

namespace platform {

// 0 for kOk, 2 (file not found) for kNotFound, 5 for kAccessDenied, 234
// (more data) for kMoreData, 259 (no more items) for kNoMoreItems, 1016
// (registry I/O failed) for kFailed.
uint32_t Win32ErrorOfRegistryStatus(RegistryStatus status);

// HRESULT_FROM_WIN32.
inline HRESULT HresultFromWin32(uint32_t error) {
  return error == 0 ? S_OK : static_cast<HRESULT>((error & 0xFFFFu) | 0x80070000u);
}

}  // namespace platform
