#include "tools/KovaArraySim/self_signed_cert.h"

#include <openssl/bio.h>
#include <openssl/bn.h>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/rand.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>

#include <memory>
#include <stdexcept>

namespace kova_sim {
namespace {

template <typename T, void (*Free)(T*)>
struct Deleter {
  void operator()(T* p) const { Free(p); }
};
using PkeyPtr = std::unique_ptr<EVP_PKEY, Deleter<EVP_PKEY, EVP_PKEY_free>>;
using X509Ptr = std::unique_ptr<X509, Deleter<X509, X509_free>>;
using BioPtr = std::unique_ptr<BIO, Deleter<BIO, BIO_free_all>>;
using ExtPtr = std::unique_ptr<X509_EXTENSION, Deleter<X509_EXTENSION, X509_EXTENSION_free>>;
using BnPtr = std::unique_ptr<BIGNUM, Deleter<BIGNUM, BN_free>>;

void Check(bool ok, const char* what) {
  if (!ok) throw std::runtime_error(std::string("cannot make the TLS certificate: ") + what);
}

void SetRandomSerial(X509* cert) {
  unsigned char bytes[16];
  Check(RAND_bytes(bytes, sizeof(bytes)) == 1, "random serial");
  bytes[0] &= 0x7f;  // positive
  BnPtr number(BN_bin2bn(bytes, sizeof(bytes), nullptr));
  Check(number != nullptr, "serial number");
  Check(BN_to_ASN1_INTEGER(number.get(), X509_get_serialNumber(cert)) != nullptr, "serial number");
}

void SetSubjectAndSan(X509* cert, const std::string& common_name) {
  X509_NAME* name = X509_get_subject_name(cert);
  Check(X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC,
                                   reinterpret_cast<const unsigned char*>(common_name.c_str()), -1, -1,
                                   0) == 1,
        "subject");
  Check(X509_set_issuer_name(cert, name) == 1, "issuer");
  X509V3_CTX context;
  X509V3_set_ctx_nodb(&context);
  X509V3_set_ctx(&context, cert, cert, nullptr, nullptr, 0);
  const std::string san = "IP:" + common_name;
  ExtPtr extension(X509V3_EXT_conf_nid(nullptr, &context, NID_subject_alt_name, san.c_str()));
  Check(extension != nullptr, "subjectAltName");
  Check(X509_add_ext(cert, extension.get(), -1) == 1, "subjectAltName");
}

std::string BioText(BIO* bio) {
  char* data = nullptr;
  const long size = BIO_get_mem_data(bio, &data);
  return std::string(data, static_cast<size_t>(size));
}

}  // namespace

CertificateAndKey MakeSelfSignedCertificate(const std::string& common_name) {
  PkeyPtr key(EVP_EC_gen("P-256"));
  Check(key != nullptr, "EC P-256 key");
  X509Ptr cert(X509_new());
  Check(cert != nullptr, "certificate");
  Check(X509_set_version(cert.get(), 2) == 1, "version");
  SetRandomSerial(cert.get());
  Check(X509_gmtime_adj(X509_getm_notBefore(cert.get()), -3600) != nullptr, "validity");
  Check(X509_gmtime_adj(X509_getm_notAfter(cert.get()), 10L * 365 * 24 * 3600) != nullptr, "validity");
  Check(X509_set_pubkey(cert.get(), key.get()) == 1, "public key");
  SetSubjectAndSan(cert.get(), common_name);
  Check(X509_sign(cert.get(), key.get(), EVP_sha256()) > 0, "signature");

  BioPtr cert_bio(BIO_new(BIO_s_mem()));
  BioPtr key_bio(BIO_new(BIO_s_mem()));
  Check(cert_bio != nullptr && key_bio != nullptr, "memory");
  Check(PEM_write_bio_X509(cert_bio.get(), cert.get()) == 1, "certificate PEM");
  Check(PEM_write_bio_PrivateKey(key_bio.get(), key.get(), nullptr, nullptr, 0, nullptr, nullptr) == 1,
        "key PEM");
  return CertificateAndKey{BioText(cert_bio.get()), BioText(key_bio.get())};
}

}  // namespace kova_sim
