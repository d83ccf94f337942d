// The TLS settings of the HTTP library's clients that talk to arrays. Array
// certificates are never validated (arrays ship self-signed ones).
//
// POSIX: besides switching validation off, the client's certificate check
// is replaced by one that accepts at once. The library checks the peer's
// chain on every handshake even with validation off, and that check looks
// the issuer up in the system CA directory (a directory read per
// connection). What goes on the wire is unchanged.
// Windows: validation off; nothing else to do.
#pragma once

namespace web {
namespace http {
namespace client {
class http_client_config;
}  // namespace client
}  // namespace http
}  // namespace web

namespace platform {

void DisableCertificateValidation(web::http::client::http_client_config& config);

}  // namespace platform
