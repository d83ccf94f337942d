// KovaREST against the array emulator over HTTPS on loopback: sessions,
// cookies, bodies, masking, and transport failures.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cpprest/base_uri.h>

#include <regex>

#include "tests/rest/array_sim_fixture.h"
#include "tests/support/plain_tcp_peer.h"
#include "tests/support/wide_text.h"

using testing::ElementsAre;
using testing::HasSubstr;
using web::json::value;

namespace {

class TransportTest : public ArraySimTest {
 protected:
  // RequestSync that reports the status and the message of a thrown
  // KovaRestException ("" when none).
  std::string Sync(KovaREST& rest, const utility::string_t& path, int method,
                   const value* body, uint16_t& status, value& response) {
    try {
      rest.RequestSync(path, method, body, status, response);
    } catch (const KovaStorage::KovaRestException& e) {
      return e.what();
    }
    return "";
  }
};

TEST_F(TransportTest, FreshObjectOpensTheSessionBeforeItsFirstRequest) {
  KovaREST rest = ConfiguredRest();
  uint16_t status = 0;
  value response;
  rest.RequestSync(U("/api/1.1/array"), KovaREST::kGet, nullptr, status, response);

  EXPECT_EQ(200, status);
  EXPECT_TRUE(response.has_field(U("id")));
  EXPECT_THAT(RequestLines(), ElementsAre("POST /api/1.1/auth/session", "GET /api/1.1/array"));
  EXPECT_EQ(value::parse(sim_.Requests()[0].body).at(U("api_token")).as_string(), Token());
  EXPECT_THAT(log_.Contents(), HasSubstr("No session or session expired, will try to renew session"));
}

TEST_F(TransportTest, HeldCookieIsSentBackVerbatimWithoutRenewal) {
  KovaREST rest = ConfiguredRest();
  uint16_t status = 0;
  value response;
  rest.RequestSync(U("/api/1.1/array"), KovaREST::kGet, nullptr, status, response);
  const std::string cookie = Narrow(rest.SessionCookie());
  ASSERT_THAT(cookie, HasSubstr("Path=/"));  // attributes are part of the held text
  sim_.ClearRequests();

  rest.RequestSync(U("/api/1.1/volume"), KovaREST::kGet, nullptr, status, response);
  EXPECT_EQ(200, status);
  ASSERT_THAT(RequestLines(), ElementsAre("GET /api/1.1/volume"));
  EXPECT_EQ(cookie, sim_.Requests()[0].headers.at("cookie"));
}

TEST_F(TransportTest, ExpiredSessionIsRenewedOnceAndTheRequestRepeated) {
  KovaREST rest = ConfiguredRest();
  uint16_t status = 0;
  value response;
  rest.RequestSync(U("/api/1.1/array"), KovaREST::kGet, nullptr, status, response);
  const utility::string_t expired = rest.SessionCookie();
  sim_.ExpireSessions();
  sim_.ClearRequests();

  rest.RequestSync(U("/api/1.1/volume"), KovaREST::kGet, nullptr, status, response);
  EXPECT_EQ(200, status);
  EXPECT_THAT(RequestLines(), ElementsAre("GET /api/1.1/volume", "POST /api/1.1/auth/session",
                                          "GET /api/1.1/volume"));
  // The expired cookie goes along with the session request and is replaced.
  EXPECT_EQ(Narrow(expired), sim_.Requests()[1].headers.at("cookie"));
  EXPECT_NE(expired, rest.SessionCookie());
  EXPECT_EQ(Narrow(rest.SessionCookie()), sim_.Requests()[2].headers.at("cookie"));
}

TEST_F(TransportTest, SecondUnauthorizedAnswerIsReturnedNotThrown) {
  KovaREST rest = ConfiguredRest();
  uint16_t status = 0;
  value response;
  rest.RequestSync(U("/api/1.1/array"), KovaREST::kGet, nullptr, status, response);
  sim_.ClearRequests();
  sim_.InjectFault(StatusFault("GET", "/volume", 401, 2));

  EXPECT_EQ("", Sync(rest, U("/api/1.1/volume"), KovaREST::kGet, nullptr, status, response));
  EXPECT_EQ(401, status);
  EXPECT_THAT(RequestLines(), ElementsAre("GET /api/1.1/volume", "POST /api/1.1/auth/session",
                                          "GET /api/1.1/volume"));
}

TEST_F(TransportTest, OtherFailureStatusesAreReturnedWithoutRenewal) {
  KovaREST rest = ConfiguredRest();
  uint16_t status = 0;
  value response;
  rest.RequestSync(U("/api/1.1/array"), KovaREST::kGet, nullptr, status, response);
  for (int failure : {403, 404, 500}) {
    sim_.ClearRequests();
    sim_.InjectFault(StatusFault("GET", "/volume", failure, 1, R"({"msg": "no"})"));
    EXPECT_EQ("", Sync(rest, U("/api/1.1/volume"), KovaREST::kGet, nullptr, status, response));
    EXPECT_EQ(failure, status);
    EXPECT_EQ(U("no"), response.at(U("msg")).as_string());
    EXPECT_THAT(RequestLines(), ElementsAre("GET /api/1.1/volume"));
  }
}

TEST_F(TransportTest, BodiesAreSentOnlyWithPostAndDelete) {
  KovaREST rest = ConfiguredRest();
  const value body = value::parse(U(R"({"eradicate": false})"));
  uint16_t status = 0;
  value response;
  utility::string_t cookie;
  for (int method : {KovaREST::kGet, KovaREST::kPost, KovaREST::kPut, KovaREST::kDelete}) {
    rest.RequestAndWait(Url(), U("/api/1.1/volume/none"), method, &body, status, response, cookie);
  }
  const auto requests = sim_.Requests();
  ASSERT_EQ(4u, requests.size());
  EXPECT_EQ("", requests[0].body);
  EXPECT_EQ(R"({"eradicate":false})", requests[1].body);
  EXPECT_EQ("application/json", requests[1].headers.at("content-type").substr(0, 16));
  EXPECT_EQ("", requests[2].body);
  EXPECT_EQ(R"({"eradicate":false})", requests[3].body);
}

TEST_F(TransportTest, AnswerWithoutSetCookieLeavesTheCookieAsItWas) {
  uint16_t status = 0;
  value response;
  utility::string_t cookie = U("session=held; Path=/");
  kova_sim::Fault fault;
  fault.kind = kova_sim::Fault::Kind::kNoSessionCookie;
  fault.path_contains = "/auth/session";
  sim_.InjectFault(fault);
  const value body = value::parse(U("{\"api_token\": \"") + Token() + U("\"}"));
  KovaREST rest(5);
  ASSERT_TRUE(rest.RequestAndWait(Url(), U("/api/1.1/auth/session"), KovaREST::kPost, &body,
                                  status, response, cookie));
  EXPECT_EQ(200, status);
  EXPECT_EQ(U("session=held; Path=/"), cookie);
  ASSERT_TRUE(rest.RequestAndWait(Url(), U("/api/1.1/auth/session"), KovaREST::kPost, &body,
                                  status, response, cookie));
  EXPECT_THAT(Narrow(cookie), HasSubstr("session="));
  EXPECT_NE(U("session=held; Path=/"), cookie);
}

TEST_F(TransportTest, MisconfiguredObjectsThrowBeforeSendingAnything) {
  uint16_t status = 0;
  value response;
  KovaREST empty(5);
  EXPECT_EQ("Base URI not defined, REST library not initialized properly",
            Sync(empty, U("/api/1.1/array"), KovaREST::kGet, nullptr, status, response));
  KovaREST no_token(5);
  no_token.Configure(Url(), U(""), U("1.1"));
  EXPECT_EQ("API token not defined, REST library not initialized properly",
            Sync(no_token, U("/api/1.1/array"), KovaREST::kGet, nullptr, status, response));
  EXPECT_EQ(408, status);
  EXPECT_TRUE(RequestLines().empty());
}

TEST_F(TransportTest, RefusedTokenFailsTheSessionRenewal) {
  KovaREST rest(5);
  rest.Configure(Url(), U("not-a-token"), U("1.1"));
  uint16_t status = 0;
  value response;
  EXPECT_EQ("Could not renew Session cookie",
            Sync(rest, U("/api/1.1/array"), KovaREST::kGet, nullptr, status, response));
  EXPECT_THAT(RequestLines(), ElementsAre("POST /api/1.1/auth/session"));
  EXPECT_EQ(1u, log_.LinesContaining("Could not renew Session cookie, Status Code: 4").size());
}

TEST_F(TransportTest, TraceLinesMaskTheTokenAndPassword) {
  KovaREST rest = ConfiguredRest();
  uint16_t status = 0;
  value response;
  rest.RequestSync(U("/api/1.1/array"), KovaREST::kGet, nullptr, status, response);
  utility::string_t token;
  ASSERT_EQ(S_OK, rest.GenerateAPIToken(Url(), U("1.1"), U("admin"), U("admin-password"), token));

  const std::string text = log_.Contents();
  const std::string stars(Token().size(), '*');
  EXPECT_THAT(text, HasSubstr("Json Request body: {\"api_token\":\"" + stars + "\"}"));
  EXPECT_THAT(text, HasSubstr("\"password\":\"**************\""));
  EXPECT_THAT(text, HasSubstr("Json Response: {\"api_token\":\"" + stars + "\"}"));
  EXPECT_EQ(std::string::npos, text.find(Narrow(Token())));
  EXPECT_EQ(std::string::npos, text.find("admin-password"));
  EXPECT_THAT(text, HasSubstr("Request Method: GET, URI: " + sim_.Url() + "/api/1.1/array"));
}

TEST_F(TransportTest, UserAgentCarriesProductBuildAndOsVersion) {
  KovaREST rest = ConfiguredRest();
  uint16_t status = 0;
  value response;
  rest.RequestSync(U("/api/1.1/array"), KovaREST::kGet, nullptr, status, response);
  const std::regex agent(R"(VSS/1\.0\.3 \(\.717\.2016-04-14_16-23-12 \(64-bit Release\); \d+\.\d+\))");
  for (const auto& request : sim_.Requests()) {
    EXPECT_TRUE(std::regex_match(request.headers.at("user-agent"), agent))
        << request.headers.at("user-agent");
  }
}

TEST_F(TransportTest, AnswerThatIsNotJsonCountsAsAnsweredAndKeepsTheResponse) {
  kova_sim::Fault fault;
  fault.kind = kova_sim::Fault::Kind::kRawBody;
  fault.status = 200;
  fault.body = "<html>not json</html>";
  sim_.InjectFault(fault);
  KovaREST rest(5);
  uint16_t status = 0;
  value response = value::string(U("as initialised"));
  utility::string_t cookie;
  EXPECT_TRUE(rest.RequestAndWait(Url(), U("/api/api_version"), KovaREST::kGet, nullptr, status,
                                  response, cookie));
  EXPECT_EQ(200, status);
  EXPECT_EQ(U("as initialised"), response.as_string());
  EXPECT_EQ(1u, log_.LinesContaining("KovaREST::Request() failed with").size());
}

TEST_F(TransportTest, VersionNotSupportedStatusIsLogged) {
  KovaREST rest(5);
  rest.Configure(Url(), Token(), U("9.9"));
  uint16_t status = 0;
  value response;
  // The emulator refuses the version on the session request already.
  EXPECT_EQ("Could not renew Session cookie",
            Sync(rest, U("/api/9.9/array"), KovaREST::kGet, nullptr, status, response));
  EXPECT_EQ(1u,
            log_.LinesContaining("Status Code: 450: REST API version (9.9) not supported by array")
                .size());
}

TEST_F(TransportTest, MalformedAddressIsNotATransportFailure) {
  KovaREST rest(5);
  rest.Configure(U("https://bad host:x"), Token(), U("1.1"));
  uint16_t status = 0;
  value response;
  EXPECT_THROW(rest.RequestSync(U("/api/1.1/array"), KovaREST::kGet, nullptr, status, response),
               web::uri_exception);
  EXPECT_TRUE(log_.LinesContaining("check network connection.").empty());
}

// Transport failures: no answer arrives, the status stays 408.
class TransportFailureTest : public ArraySimTest {
 protected:
  void ExpectNotSent(const utility::string_t& url, int32_t timeout_seconds) {
    KovaREST rest(timeout_seconds);
    rest.Configure(url, Token(), U("1.1"));
    uint16_t status = 0;
    value response;
    try {
      rest.RequestSync(U("/api/1.1/array"), KovaREST::kGet, nullptr, status, response);
      ADD_FAILURE() << "no exception";
    } catch (const KovaStorage::KovaRestException& e) {
      EXPECT_STREQ("Failed to send request.", e.what());
    }
    EXPECT_EQ(408, status);
    EXPECT_EQ(1u, log_.LinesContaining("check network connection.").size());
  }
};

TEST_F(TransportFailureTest, ClosedPort) {
  ExpectNotSent(U("https://127.0.0.1:") + utility::conversions::to_string_t(
                                              std::to_string(PlainTcpPeer::ClosedPort())),
                5);
}

TEST_F(TransportFailureTest, PeerThatDoesNotSpeakTls) {
  PlainTcpPeer peer;
  ExpectNotSent(U("https://127.0.0.1:") +
                    utility::conversions::to_string_t(std::to_string(peer.Port())),
                5);
}

TEST_F(TransportFailureTest, AnswerSlowerThanTheTimeOut) {
  if (const char* reason = NoReceiveTimeOut()) GTEST_SKIP() << reason;
  kova_sim::Fault slow;
  slow.kind = kova_sim::Fault::Kind::kDelay;
  slow.delay_ms = 3000;
  sim_.InjectFault(slow);
  ExpectNotSent(Url(), 1);
}

TEST_F(TransportFailureTest, ConnectionDroppedWithoutAnswer) {
  kova_sim::Fault drop;
  drop.kind = kova_sim::Fault::Kind::kDrop;
  sim_.InjectFault(drop);
  ExpectNotSent(Url(), 5);
}

// A GET that gets no answer is sent once more; nothing else is.
class TransportRetryTest : public TransportTest {
 protected:
  // A transport with a session already open, and an empty request log.
  KovaREST OpenedRest(int32_t timeout_seconds = 5) {
    KovaREST rest = ConfiguredRest(timeout_seconds);
    uint16_t status = 0;
    value response;
    rest.RequestSync(U("/api/1.1/array"), KovaREST::kGet, nullptr, status, response);
    sim_.ClearRequests();
    return rest;
  }
  kova_sim::Fault NoAnswer(kova_sim::Fault::Kind kind, const std::string& method, int times = 1) const {
    kova_sim::Fault fault;
    fault.kind = kind;
    fault.method = method;
    fault.path_contains = "/volume";
    fault.times = times;
    return fault;
  }
  size_t RetryLines() const { return log_.LinesContaining("got no answer, sending it once more").size(); }
  // The volume list GET, its first answer spoiled by |kind|: answered by the resend.
  void ExpectAnsweredOnceResent(KovaREST& rest, kova_sim::Fault::Kind kind) {
    sim_.InjectFault(NoAnswer(kind, "GET"));
    uint16_t status = 0;
    value response;
    EXPECT_EQ("", Sync(rest, U("/api/1.1/volume"), KovaREST::kGet, nullptr, status, response));
    EXPECT_EQ(200, status);
    EXPECT_EQ(3u, response.size());
    EXPECT_EQ(1u, RetryLines());
  }
  size_t Snapshots() const { return sim_.State().at(U("snapshots")).size(); }
};

TEST_F(TransportRetryTest, DroppedGetIsSentOnceMoreAndAnswered) {
  KovaREST rest = OpenedRest();
  ExpectAnsweredOnceResent(rest, kova_sim::Fault::Kind::kDrop);
  EXPECT_THAT(RequestLines(), ElementsAre("GET /api/1.1/volume", "GET /api/1.1/volume"));
  const std::vector<std::string> warnings = log_.LinesContaining("got no answer, sending it once more");
  ASSERT_EQ(1u, warnings.size());
  EXPECT_THAT(warnings[0], HasSubstr(" W Kova.REST KovaREST::RequestSync() GET https://127.0.0.1:"));
  EXPECT_THAT(warnings[0], HasSubstr("/api/1.1/volume got no answer"));
}

TEST_F(TransportRetryTest, SecondDropInARowFailsAsBefore) {
  KovaREST rest = OpenedRest();
  sim_.InjectFault(NoAnswer(kova_sim::Fault::Kind::kDrop, "GET", 2));
  uint16_t status = 0;
  value response;
  EXPECT_EQ("Failed to send request.", Sync(rest, U("/api/1.1/volume"), KovaREST::kGet, nullptr, status, response));
  EXPECT_EQ(408, status);
  EXPECT_THAT(RequestLines(), ElementsAre("GET /api/1.1/volume", "GET /api/1.1/volume"));
  EXPECT_EQ(1u, RetryLines());
  EXPECT_EQ(2u, log_.LinesContaining("check network connection.").size());
}

TEST_F(TransportRetryTest, GetAnsweredAfterTheTimeOutIsSentOnceMore) {
  if (const char* reason = NoReceiveTimeOut()) GTEST_SKIP() << reason;
  KovaREST rest = OpenedRest(1);
  kova_sim::Fault late = NoAnswer(kova_sim::Fault::Kind::kLateAnswer, "GET");
  late.delay_ms = 2500;
  sim_.InjectFault(late);
  uint16_t status = 0;
  value response;
  EXPECT_EQ("", Sync(rest, U("/api/1.1/volume"), KovaREST::kGet, nullptr, status, response));
  EXPECT_EQ(200, status);
  EXPECT_EQ(2u, RequestLines().size());
  EXPECT_EQ(1u, RetryLines());
}

TEST_F(TransportRetryTest, PostOrDeleteWithoutAnswerIsNeverSentAgain) {
  KovaREST rest = OpenedRest();
  const value body = value::parse(U(R"({"snap": true, "source": ["db01"], "suffix": "s1"})"));
  for (auto kind : {kova_sim::Fault::Kind::kDrop, kova_sim::Fault::Kind::kExecuteThenDrop}) {
    sim_.InjectFault(NoAnswer(kind, "POST"));
    uint16_t status = 0;
    value response;
    EXPECT_EQ("Failed to send request.", Sync(rest, U("/api/1.1/volume"), KovaREST::kPost, &body, status, response));
  }
  sim_.InjectFault(NoAnswer(kova_sim::Fault::Kind::kExecuteThenDrop, "DELETE"));
  uint16_t status = 0;
  value response;
  EXPECT_EQ("Failed to send request.",
            Sync(rest, U("/api/1.1/volume/db01.s1"), KovaREST::kDelete, nullptr, status, response));
  EXPECT_THAT(RequestLines(), ElementsAre("POST /api/1.1/volume", "POST /api/1.1/volume",
                                          "DELETE /api/1.1/volume/db01.s1"));
  EXPECT_EQ(0u, Snapshots());  // made by the second POST, destroyed by the DELETE
  EXPECT_EQ(0u, RetryLines());
}

TEST_F(TransportRetryTest, AnAnswerBrokenOffIsNoAnswer) {
  if (const char* reason = NoShortBodyError()) GTEST_SKIP() << reason;
  KovaREST rest = OpenedRest();
  ExpectAnsweredOnceResent(rest, kova_sim::Fault::Kind::kTruncate);

  sim_.ClearRequests();
  uint16_t status = 0;
  value response;
  sim_.InjectFault(NoAnswer(kova_sim::Fault::Kind::kTruncate, "POST"));
  const value body = value::parse(U(R"({"snap": true, "source": ["db01"], "suffix": "s1"})"));
  EXPECT_EQ("Failed to send request.", Sync(rest, U("/api/1.1/volume"), KovaREST::kPost, &body, status, response));
  EXPECT_EQ(408, status);
  EXPECT_TRUE(response.is_null());
  EXPECT_THAT(RequestLines(), ElementsAre("POST /api/1.1/volume"));
  EXPECT_EQ(1u, Snapshots());
}

TEST_F(TransportRetryTest, DroppedGetAfterASessionRenewalIsSentOnceMore) {
  KovaREST rest = ConfiguredRest();  // no session yet
  sim_.InjectFault(NoAnswer(kova_sim::Fault::Kind::kDrop, "GET"));
  uint16_t status = 0;
  value response;
  EXPECT_EQ("", Sync(rest, U("/api/1.1/volume"), KovaREST::kGet, nullptr, status, response));
  EXPECT_EQ(200, status);
  EXPECT_THAT(RequestLines(), ElementsAre("POST /api/1.1/auth/session", "GET /api/1.1/volume", "GET /api/1.1/volume"));
  EXPECT_EQ(1u, RetryLines());
}

TEST_F(TransportRetryTest, OneResendPerCallEvenAcrossASessionRenewal) {
  KovaREST rest = OpenedRest();
  sim_.InjectFault(NoAnswer(kova_sim::Fault::Kind::kDrop, "GET"));
  sim_.InjectFault(StatusFault("GET", "/volume", 401));
  sim_.InjectFault(NoAnswer(kova_sim::Fault::Kind::kDrop, "GET"));
  uint16_t status = 0;
  value response;
  EXPECT_EQ("Failed to send request.", Sync(rest, U("/api/1.1/volume"), KovaREST::kGet, nullptr, status, response));
  EXPECT_THAT(RequestLines(), ElementsAre("GET /api/1.1/volume", "GET /api/1.1/volume", "POST /api/1.1/auth/session",
                                          "GET /api/1.1/volume"));
  EXPECT_EQ(1u, RetryLines());
}

TEST_F(TransportRetryTest, FaultFreeRequestsAreSentOnce) {
  KovaREST rest = OpenedRest();
  uint16_t status = 0;
  value response;
  const value body = value::parse(U(R"({"snap": true, "source": ["db01"], "suffix": "s1"})"));
  rest.RequestSync(U("/api/1.1/volume"), KovaREST::kGet, nullptr, status, response);
  rest.RequestSync(U("/api/1.1/volume"), KovaREST::kPost, &body, status, response);
  rest.RequestSync(U("/api/1.1/volume/nothing"), KovaREST::kGet, nullptr, status, response);
  EXPECT_EQ(400, status);
  EXPECT_THAT(RequestLines(), ElementsAre("GET /api/1.1/volume", "POST /api/1.1/volume", "GET /api/1.1/volume/nothing"));
  EXPECT_EQ(0u, RetryLines());
}

// The time-out setting, read as text from the configuration store.
class TimeoutSettingTest : public testing::Test {
 protected:
  void SetUp() override { platform::SetMachineRegistry(registry_); }
  void TearDown() override { platform::SetMachineRegistry(nullptr); }
  void Store(const std::string& text) {
    std::unique_ptr<platform::RegistryKey> key;
    ASSERT_EQ(platform::RegistryStatus::kOk,
              registry_->CreateKey(platform::RegistryRoot::kLocalMachine,
                                   "SOFTWARE\\KovaStorage\\VSS\\Provider\\",
                                   platform::KeyProtection::kDefault, &key));
    platform::WriteStringValue(*key, "RestTimeout", text);
  }
  std::shared_ptr<platform::Registry> registry_ = platform::CreateMemoryRegistry();
};

TEST_F(TimeoutSettingTest, TextIsReadAsLeadingDecimalInteger) {
  Store("30");
  EXPECT_EQ(30, KovaREST::GetRESTTimeOutFromRegistry());
  Store("  42s");
  EXPECT_EQ(42, KovaREST::GetRESTTimeOutFromRegistry());
  Store("12345678901");  // eleven characters: the most that fits
  EXPECT_EQ(2147483647, KovaREST::GetRESTTimeOutFromRegistry());
  Store("123456789012");  // too long for the reader: the default
  EXPECT_EQ(10, KovaREST::GetRESTTimeOutFromRegistry());
  Store("");
  EXPECT_EQ(10, KovaREST::GetRESTTimeOutFromRegistry());
}

TEST_F(TimeoutSettingTest, TimeOutThatIsNotPositiveGivesTenSecondsWithAWarning) {
  ScopedTestLog log(LOG_WARN);
  for (const char* text : {"abc", "0", "-5", " -0", "+"}) {
    Store(text);
    EXPECT_EQ(10, KovaREST::GetRESTTimeOutFromRegistry()) << text;
  }
  EXPECT_EQ(5u, log.LinesContaining("is not a positive number of seconds, using default value").size());
  EXPECT_EQ(1u, log.LinesContaining("RestTimeout (-5)").size());
  Store("1");
  EXPECT_EQ(1, KovaREST::GetRESTTimeOutFromRegistry());
  EXPECT_EQ(5u, log.LinesContaining(" W Kova.REST KovaREST::GetRESTTimeOutFromRegistry.").size())
      << log.Contents();
}

TEST_F(TimeoutSettingTest, MachineHiveIsReadByDefault) {
  platform::SetMachineRegistry(nullptr);  // the hive under this test's state folder
  std::unique_ptr<platform::RegistryKey> key;
  ASSERT_EQ(platform::RegistryStatus::kOk,
            platform::MachineRegistry().CreateKey(platform::RegistryRoot::kLocalMachine,
                                                  "SOFTWARE\\KovaStorage\\VSS\\Provider\\",
                                                  platform::KeyProtection::kDefault, &key));
  platform::WriteStringValue(*key, "RestTimeout", "25");
  EXPECT_EQ(25, KovaREST::GetRESTTimeOutFromRegistry());
  platform::MachineRegistry().DeleteTree(platform::RegistryRoot::kLocalMachine, "SOFTWARE\\KovaStorage");
  EXPECT_EQ(10, KovaREST::GetRESTTimeOutFromRegistry());
}

TEST_F(TimeoutSettingTest, MissingValueOrKeyGivesTenSeconds) {
  ScopedTestLog log(LOG_ERROR);
  EXPECT_EQ(10, KovaREST::GetRESTTimeOutFromRegistry());
  EXPECT_EQ(1u, log.LinesContaining("Failed to read timeout from registry, using default value")
                    .size());
  Store("30");
  std::unique_ptr<platform::RegistryKey> key;
  registry_->OpenKey(platform::RegistryRoot::kLocalMachine, "SOFTWARE\\KovaStorage\\VSS\\Provider",
                     &key);
  key->DeleteValue("RestTimeout");
  EXPECT_EQ(10, KovaREST::GetRESTTimeOutFromRegistry());
  EXPECT_EQ(1u, log.LinesContaining("Failed to read timeout").size());
}

}  // namespace
