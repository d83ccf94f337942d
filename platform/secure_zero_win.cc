#include "platform/secure_zero.h"

#include <windows.h>

namespace platform {

void SecureZero(void* data, size_t size) {
  if (data && size) SecureZeroMemory(data, size);
}

}  // namespace platform
