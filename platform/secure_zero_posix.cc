#include "platform/secure_zero.h"

#include <openssl/crypto.h>

namespace platform {

void SecureZero(void* data, size_t size) {
  if (data && size) OPENSSL_cleanse(data, size);
}

}  // namespace platform
