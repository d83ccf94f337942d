// The emulator's parts that need no network: target parsing, command line,
// timestamps, the TLS identity and the request-log line.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <openssl/bio.h>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>

#include <chrono>
#include <memory>

#include "tools/KovaArraySim/cli_options.h"
#include "tools/KovaArraySim/request_line.h"
#include "tools/KovaArraySim/request_target.h"
#include "tools/KovaArraySim/self_signed_cert.h"
#include "tools/KovaArraySim/utc_time.h"

namespace {

using testing::ElementsAre;
using testing::HasSubstr;
using testing::Pair;
using testing::UnorderedElementsAre;

TEST(RequestTargetTest, SplitsAndDecodesPathAndQuery) {
  kova_sim::RequestTarget target;
  ASSERT_TRUE(kova_sim::ParseRequestTarget("/api/1.1/volume/db%2E01?snap=true&x=%41&flag", &target));
  EXPECT_THAT(target.segments, ElementsAre("api", "1.1", "volume", "db.01"));
  EXPECT_THAT(target.query, UnorderedElementsAre(Pair("snap", "true"), Pair("x", "A"), Pair("flag", "")));
  ASSERT_TRUE(kova_sim::ParseRequestTarget("/", &target));
  EXPECT_THAT(target.segments, ElementsAre(""));
  ASSERT_TRUE(kova_sim::ParseRequestTarget("/a//b/?", &target));
  EXPECT_THAT(target.segments, ElementsAre("a", "", "b", ""));
  EXPECT_TRUE(target.query.empty());
}

TEST(RequestTargetTest, RefusesTargetsThatAreNotPathsOrHoldBadEscapes) {
  kova_sim::RequestTarget target;
  for (const char* bad : {"", "api/1.1", "*", "http://x/api", "/a%", "/a%4", "/a%zz", "/a%00b", "/a?k=%g1"}) {
    EXPECT_FALSE(kova_sim::ParseRequestTarget(bad, &target)) << bad;
  }
}

TEST(CliOptionsTest, ReadsEveryOption) {
  kova_sim::CliOptions options;
  std::string error;
  ASSERT_TRUE(kova_sim::ParseCliOptions({"--address", "0.0.0.0", "--port", "8443", "--seed", "s.json",
                                         "--port-file", "p", "--request-log", "r", "--request-latency", "0",
                                         "--snapshot-latency", "60000"},
                                        &options, &error));
  EXPECT_EQ("0.0.0.0", options.address);
  EXPECT_EQ(8443, options.port);
  EXPECT_EQ("s.json", options.seed_file);
  EXPECT_EQ("p", options.port_file);
  EXPECT_EQ("r", options.request_log_file);
  EXPECT_EQ(0, options.request_latency_ms);
  EXPECT_EQ(60000, options.snapshot_latency_ms);
  ASSERT_TRUE(kova_sim::ParseCliOptions({}, &options, &error));
  EXPECT_EQ("127.0.0.1", options.address);
  EXPECT_EQ(0, options.port);
  EXPECT_EQ(-1, options.request_latency_ms);
  EXPECT_EQ(-1, options.snapshot_latency_ms);
  EXPECT_FALSE(options.help);
}

TEST(CliOptionsTest, RefusesUnknownOptionsMissingValuesAndBadPorts) {
  kova_sim::CliOptions options;
  const std::pair<std::vector<std::string>, const char*> cases[] = {
      {{"--port", "-1"}, "--port"},     {{"--port", "65536"}, "--port"}, {{"--port", "12a"}, "--port"},
      {{"--seed"}, "needs a value"},    {{"--seed", ""}, "needs a value"}, {{"-x"}, "unknown argument \"-x\""},
      {{"8443"}, "unknown argument"},
      {{"--request-latency", "-5"}, "--request-latency needs milliseconds from 0 to 60000"},
      {{"--snapshot-latency", "60001"}, "--snapshot-latency needs milliseconds"},
      {{"--snapshot-latency", "1.5"}, "--snapshot-latency needs milliseconds"},
      {{"--request-latency"}, "needs a value"},
  };
  for (const auto& c : cases) {
    std::string error;
    EXPECT_FALSE(kova_sim::ParseCliOptions(c.first, &options, &error)) << c.first[0];
    EXPECT_THAT(error, HasSubstr(c.second)) << c.first[0];
  }
}

TEST(UtcTimestampTest, FormatsCalendarDatesInUtc) {
  using std::chrono::seconds;
  using std::chrono::system_clock;
  EXPECT_EQ("1970-01-01T00:00:00Z", kova_sim::UtcTimestamp(system_clock::time_point(seconds(0))));
  EXPECT_EQ("2000-02-29T23:59:59Z", kova_sim::UtcTimestamp(system_clock::time_point(seconds(951868799))));
  EXPECT_EQ("2023-11-14T22:13:20Z", kova_sim::UtcTimestamp(system_clock::time_point(seconds(1700000000))));
  EXPECT_EQ("1969-12-31T23:59:59Z", kova_sim::UtcTimestamp(system_clock::time_point(seconds(-1))));
}

TEST(SelfSignedCertificateTest, IsAnEcP256CertificateFor127001SignedByItsOwnKey) {
  const kova_sim::CertificateAndKey identity = kova_sim::MakeSelfSignedCertificate("127.0.0.1");
  std::unique_ptr<BIO, decltype(&BIO_free)> cert_bio(
      BIO_new_mem_buf(identity.certificate_pem.data(), static_cast<int>(identity.certificate_pem.size())), BIO_free);
  std::unique_ptr<X509, decltype(&X509_free)> cert(PEM_read_bio_X509(cert_bio.get(), nullptr, nullptr, nullptr),
                                                   X509_free);
  ASSERT_NE(nullptr, cert);
  std::unique_ptr<BIO, decltype(&BIO_free)> key_bio(
      BIO_new_mem_buf(identity.private_key_pem.data(), static_cast<int>(identity.private_key_pem.size())), BIO_free);
  std::unique_ptr<EVP_PKEY, decltype(&EVP_PKEY_free)> key(
      PEM_read_bio_PrivateKey(key_bio.get(), nullptr, nullptr, nullptr), EVP_PKEY_free);
  ASSERT_NE(nullptr, key);

  EXPECT_TRUE(EVP_PKEY_is_a(key.get(), "EC"));
  EXPECT_EQ(256, EVP_PKEY_get_bits(key.get()));
  char group[64] = {};
  size_t group_length = 0;
  EVP_PKEY_get_group_name(key.get(), group, sizeof(group), &group_length);
  EXPECT_STREQ("prime256v1", group);
  EXPECT_EQ(1, X509_verify(cert.get(), key.get()));
  char common_name[64] = {};
  X509_NAME_get_text_by_NID(X509_get_subject_name(cert.get()), NID_commonName, common_name, sizeof(common_name));
  EXPECT_STREQ("127.0.0.1", common_name);
  EXPECT_EQ(1, X509_check_ip_asc(cert.get(), "127.0.0.1", 0));
  EXPECT_EQ(-1, X509_cmp_current_time(X509_get0_notBefore(cert.get())));
  EXPECT_EQ(1, X509_cmp_current_time(X509_get0_notAfter(cert.get())));

  EXPECT_NE(identity.certificate_pem, kova_sim::MakeSelfSignedCertificate("127.0.0.1").certificate_pem);
}

TEST(RequestLineTest, MasksSecretsAndShowsOtherBodiesAsTheyAre) {
  kova_sim::RecordedRequest request{"POST", "/api/1.1/auth/apitoken", R"({"username": "u", "password": "pw12"})", {}};
  EXPECT_EQ(R"(POST /api/1.1/auth/apitoken {"password":"****","username":"u"})", kova_sim::DescribeRequest(request));
  request.body = R"({"api_token": "abc", "nested": {"password": "x"}})";
  EXPECT_EQ(R"(POST /api/1.1/auth/apitoken {"api_token":"***","nested":{"password":"x"}})",
            kova_sim::DescribeRequest(request));
  request.body = "password=hunter2";
  EXPECT_EQ("POST /api/1.1/auth/apitoken <16 bytes>", kova_sim::DescribeRequest(request));
  EXPECT_EQ("GET /api/api_version", kova_sim::DescribeRequest({"GET", "/api/api_version", "", {}}));
}

}  // namespace
