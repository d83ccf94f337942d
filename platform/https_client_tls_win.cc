#include "platform/https_client_tls.h"

#include <cpprest/http_client.h>

namespace platform {

void DisableCertificateValidation(web::http::client::http_client_config& config) {
  config.set_validate_certificates(false);
}

}  // namespace platform
