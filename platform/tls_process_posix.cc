#include "platform/tls_process.h"

#include <openssl/crypto.h>
#include <pplx/threadpool.h>

#include <cstdlib>
#include <exception>

namespace platform {
namespace {

// The HTTP library hands every step of a request (resolve, connect, each
// TLS record, the answer) from one pool thread to the next idle one; with
// its default of 40 threads a request costs about 70 thread switches, with
// two about 30. Two still let requests to different arrays run side by
// side; nothing here blocks a pool thread.
constexpr size_t kHttpPoolThreads = 2;

}  // namespace

void PrepareProcessForTls() {
  OPENSSL_init_crypto(OPENSSL_INIT_NO_ATEXIT, nullptr);
  // Certificates are never validated; an empty default CA file makes the
  // store load a no-op instead of parsing the whole system bundle.
  setenv("SSL_CERT_FILE", "/dev/null", 1);
  try {
    crossplat::threadpool::initialize_with_threads(kHttpPoolThreads);
  } catch (const std::exception&) {
    // Already made (a second call): the pool it has stays.
  }
}

}  // namespace platform
