// Process-wide preparation for the HTTPS client. Call it as the first
// statement of main in every program (and test binary) that talks TLS.
//
// POSIX: keeps OpenSSL from freeing its state at exit while the HTTP
// library's pool threads still hold connections (a crash or hang at exit
// otherwise), and points OpenSSL's default CA file at an empty source: the
// HTTP client loads the default CA store for every new client even though
// this system never validates array certificates, and with OpenSSL 3 that
// load costs tens of milliseconds of CPU per request. Also sizes the HTTP
// library's thread pool (two threads), which must happen before the
// library's first use.
// Windows: nothing to do.
#pragma once

namespace platform {

void PrepareProcessForTls();

}  // namespace platform
