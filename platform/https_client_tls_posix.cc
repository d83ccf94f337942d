#include "platform/https_client_tls.h"

#include <cpprest/http_client.h>
#include <openssl/ssl.h>

namespace platform {
namespace {

int AcceptAnyChain(X509_STORE_CTX* /*store*/, void* /*argument*/) { return 1; }

}  // namespace

void DisableCertificateValidation(web::http::client::http_client_config& config) {
  config.set_validate_certificates(false);
  config.set_ssl_context_callback([](boost::asio::ssl::context& context) {
    SSL_CTX_set_cert_verify_callback(context.native_handle(), AcceptAnyChain, nullptr);
  });
}

}  // namespace platform
