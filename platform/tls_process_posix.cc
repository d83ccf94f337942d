#include "platform/tls_process.h"

#include <openssl/crypto.h>

#include <cstdlib>

namespace platform {

void PrepareProcessForTls() {
  OPENSSL_init_crypto(OPENSSL_INIT_NO_ATEXIT, nullptr);
  // Certificates are never validated; an empty default CA file makes the
  // store load a no-op instead of parsing the whole system bundle.
  setenv("SSL_CERT_FILE", "/dev/null", 1);
}

}  // namespace platform
