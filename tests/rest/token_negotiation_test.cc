// Version negotiation and the API token operations against the emulator.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tests/rest/array_sim_fixture.h"
#include "tests/support/plain_tcp_peer.h"

using testing::ElementsAre;
using testing::HasSubstr;

namespace {

class NegotiationTest : public ArraySimTest {
 protected:
  std::string VersionError(const std::string& body, int status = 200) {
    sim_.InjectFault(StatusFault("GET", "/api/api_version", status, 1, body));
    try {
      rest_.GetRESTVersionFromArray(Url());
    } catch (const KovaStorage::KovaRestException& e) {
      return e.what();
    }
    return "no exception";
  }
  utility::string_t ClosedUrl() const {
    return U("https://127.0.0.1:") +
           utility::conversions::to_string_t(std::to_string(PlainTcpPeer::ClosedPort()));
  }
  KovaREST rest_{5};
};

TEST_F(NegotiationTest, VersionListComesWithoutBrackets) {
  EXPECT_EQ(U("1.0,1.1,1.2"), rest_.GetRESTVersionFromArray(Url()));
  EXPECT_THAT(RequestLines(), ElementsAre("GET /api/api_version"));
  EXPECT_EQ(0u, sim_.Requests()[0].headers.count("cookie"));
}

TEST_F(NegotiationTest, VersionFailuresHaveTheirOwnMessages) {
  const std::string url = sim_.Url();
  EXPECT_EQ("Failed to get REST Version for URL: " + url, VersionError(R"({"versions": []})"));
  EXPECT_EQ("Failed to get REST Version for URL: " + url, VersionError(R"({"version": null})"));
  EXPECT_EQ("Failed to get REST Version for URL: " + url, VersionError("[1, 2]"));
  EXPECT_EQ("REST API Version is NULL", VersionError(R"({"version": ""})"));
  EXPECT_EQ("HTTP Status Code: 503\tJson Response:{\"msg\":\"down\"}\n",
            VersionError(R"({"msg": "down"})", 503));
  const utility::string_t closed = ClosedUrl();
  try {
    rest_.GetRESTVersionFromArray(closed);
    ADD_FAILURE() << "no exception";
  } catch (const KovaStorage::KovaRestException& e) {
    EXPECT_EQ("Failed to send request " + utility::conversions::to_utf8string(closed), e.what());
  }
}

TEST_F(NegotiationTest, EmptyVersionListOffersNothing) {
  sim_.InjectFault(StatusFault("GET", "/api/api_version", 200, 1, R"({"version": []})"));
  EXPECT_EQ(U(""), rest_.GetRESTVersionFromArray(Url()));
}

TEST_F(NegotiationTest, GenerateApiTokenTurnsCredentialsIntoAToken) {
  utility::string_t token;
  EXPECT_EQ(S_OK, rest_.GenerateAPIToken(Url(), U("1.1"), U("admin"), U("admin-password"), token));
  EXPECT_EQ(Token(), token);
  EXPECT_THAT(RequestLines(), ElementsAre("POST /api/1.1/auth/apitoken"));

  utility::string_t untouched = U("kept");
  EXPECT_EQ(E_ACCESSDENIED,
            rest_.GenerateAPIToken(Url(), U("1.1"), U("admin"), U("wrong"), untouched));
  EXPECT_EQ(U("kept"), untouched);
  EXPECT_EQ(1u, log_.LinesContaining("Invalid UserName/Password: admin/hidden").size());
  EXPECT_EQ(std::string::npos, log_.Contents().find("admin-password"));
}

TEST_F(NegotiationTest, GenerateApiTokenClassifiesOtherAnswers) {
  utility::string_t token;
  const auto answer = [&](int status, const std::string& body) {
    sim_.InjectFault(StatusFault("POST", "/auth/apitoken", status, 1, body));
    return rest_.GenerateAPIToken(Url(), U("1.1"), U("admin"), U("admin-password"), token);
  };
  EXPECT_EQ(E_FAIL, answer(400, R"({"msg": "Invalid credentials"})"));
  EXPECT_EQ(E_FAIL, answer(400, R"({"msg": "invalid credentials!"})"));
  EXPECT_EQ(E_FAIL, answer(500, "{}"));
  EXPECT_EQ(E_UNEXPECTED, answer(200, R"({"api_token": ""})"));
  EXPECT_EQ(E_FAIL, answer(200, R"({"token": "x"})"));
  EXPECT_EQ(E_FAIL, answer(200, R"({"api_token": null})"));
  EXPECT_EQ(E_FAIL, rest_.GenerateAPIToken(ClosedUrl(), U("1.1"), U("a"), U("b"), token));
}

TEST_F(NegotiationTest, VerifyApiTokenOpensAndClosesASession) {
  EXPECT_TRUE(rest_.VerifyAPIToken(Url(), U("1.1"), Token()));
  ASSERT_THAT(RequestLines(), ElementsAre("POST /api/1.1/auth/session", "DELETE /api/1.1/auth/session"));
  EXPECT_THAT(sim_.Requests()[1].headers.at("cookie"), HasSubstr("session="));
  EXPECT_EQ("", sim_.Requests()[1].body);

  EXPECT_FALSE(rest_.VerifyAPIToken(Url(), U("1.1"), U("revoked")));
  EXPECT_EQ(1u, log_.LinesContaining("Could not get Session cookie, Status Code: 4").size());
  EXPECT_FALSE(rest_.VerifyAPIToken(ClosedUrl(), U("1.1"), Token()));
}

TEST_F(NegotiationTest, VerifyApiTokenIsTrueEvenWhenClosingTheSessionFails) {
  sim_.InjectFault(StatusFault("DELETE", "/auth/session", 500));
  EXPECT_TRUE(rest_.VerifyAPIToken(Url(), U("1.1"), Token()));
  EXPECT_EQ(1u, log_.LinesContaining("Delete session failed").size());
  kova_sim::Fault drop;
  drop.kind = kova_sim::Fault::Kind::kDrop;
  drop.method = "DELETE";
  sim_.InjectFault(drop);
  EXPECT_TRUE(rest_.VerifyAPIToken(Url(), U("1.1"), Token()));
  EXPECT_EQ(1u, log_.LinesContaining("Failed to send request for session deletion.").size());
}

}  // namespace
