// A throw-away TLS identity for the emulator, made in memory.
#pragma once

#include <string>

namespace kova_sim {

struct CertificateAndKey {
  std::string certificate_pem;
  std::string private_key_pem;
};

// A new EC P-256 key and a self-signed certificate for it, subject
// CN=`common_name` with the same IP address as subjectAltName, valid from an
// hour ago for ten years. Throws std::runtime_error when OpenSSL fails.
CertificateAndKey MakeSelfSignedCertificate(const std::string& common_name);

}  // namespace kova_sim
