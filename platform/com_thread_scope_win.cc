#include <objbase.h>
#include <windows.h>

#include "platform/com_thread_scope.h"

namespace platform {

ComThreadScope::ComThreadScope()
    : initialised_(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}

ComThreadScope::~ComThreadScope() {
  if (initialised_) CoUninitialize();
}

}  // namespace platform
