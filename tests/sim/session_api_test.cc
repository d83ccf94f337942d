// Version discovery, API tokens and sessions, through real HTTPS.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>

#include "tests/sim/sim_test_fixture.h"

namespace {

using testing::ElementsAre;

class SessionApiTest : public SimTest {};

// "session=" + 32 lower-case hex digits + "; Path=/; HttpOnly".
bool IsSessionCookie(const std::string& cookie) {
  const std::string head = "session=";
  const std::string tail = "; Path=/; HttpOnly";
  if (cookie.size() != head.size() + 32 + tail.size()) return false;
  if (cookie.compare(0, head.size(), head) != 0 || cookie.compare(head.size() + 32, tail.size(), tail) != 0) {
    return false;
  }
  return std::all_of(cookie.begin() + head.size(), cookie.begin() + head.size() + 32,
                     [](char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'); });
}

std::vector<std::string> Strings(const web::json::value& list) {
  std::vector<std::string> items;
  for (size_t i = 0; i < list.size(); ++i) items.push_back(list.at(i).as_string());
  return items;
}

TEST_F(SessionApiTest, VersionListNeedsNoSessionAndFollowsTheArray) {
  SimResponse response = Send("GET", "/api/api_version");
  ASSERT_EQ(200, response.status);
  EXPECT_EQ("application/json", response.Header("content-type"));
  EXPECT_THAT(Strings(response.Json().at("version")), ElementsAre("1.0", "1.1", "1.2"));

  sim_.SetVersions({"2.0", "2.1"});
  EXPECT_THAT(Strings(Send("GET", "/api/api_version").Json().at("version")), ElementsAre("2.0", "2.1"));
  EXPECT_EQ(450, Send("GET", "/api/1.1/array").status);
  EXPECT_THROW(sim_.SetVersions({}), std::invalid_argument);
}

TEST_F(SessionApiTest, VersionsTheArrayDoesNotOfferAnswer450) {
  for (const char* target : {"/api/9.9/array", "/api/1.10/volume", "/api/v1.1/host"}) {
    SimResponse response = Send("GET", target);
    EXPECT_EQ(450, response.status) << target;
    EXPECT_EQ("unsupported REST API version", response.Msg()) << target;
  }
  EXPECT_EQ(450, Send("POST", "/api/2.0/auth/session", R"({"api_token": "x"})").status);
}

TEST_F(SessionApiTest, ApiTokenOnlyForMatchingCredentials) {
  SimResponse good = Send("POST", "/api/1.1/auth/apitoken", R"({"username": "admin", "password": "admin-password"})");
  ASSERT_EQ(200, good.status);
  EXPECT_EQ(DefaultToken(), good.Json().at("api_token").as_string());

  for (const char* body : {R"({"username": "admin", "password": "admin-passwor"})",
                           R"({"username": "Admin", "password": "admin-password"})",
                           R"({"username": "", "password": ""})"}) {
    SimResponse bad = Send("POST", "/api/1.1/auth/apitoken", body);
    EXPECT_EQ(400, bad.status) << body;
    EXPECT_EQ("invalid credentials", bad.Msg()) << body;
  }
}

TEST_F(SessionApiTest, MalformedTokenRequestsGetTheirOwnMessage) {
  for (const char* body : {R"({"username": "admin"})", R"({"username": "admin", "password": 7})", "[]",
                           "not json", ""}) {
    SimResponse bad = Send("POST", "/api/1.1/auth/apitoken", body);
    EXPECT_EQ(400, bad.status) << body;
    EXPECT_FALSE(bad.Msg().empty()) << body;
    EXPECT_NE("invalid credentials", bad.Msg()) << body;
  }
}

TEST_F(SessionApiTest, SessionCookieGrantsAccessUntilTheSessionIsDeleted) {
  SimResponse anonymous = Send("GET", "/api/1.1/array");
  EXPECT_EQ(401, anonymous.status);
  EXPECT_FALSE(anonymous.Msg().empty());

  SimResponse login = client_->Login(DefaultToken());
  ASSERT_EQ(200, login.status);
  EXPECT_EQ("admin", login.Json().at("username").as_string());
  EXPECT_TRUE(IsSessionCookie(login.Header("set-cookie"))) << login.Header("set-cookie");
  EXPECT_EQ(1u, sim_.SessionCount());

  SimResponse array = Send("GET", "/api/1.1/array");
  ASSERT_EQ(200, array.status);
  EXPECT_EQ(sim_.ArrayId(), array.Json().at("id").as_string());
  EXPECT_EQ("kova-sim-01", array.Json().at("array_name").as_string());
  EXPECT_TRUE(array.Json().at("version").is_string());

  SimResponse logout = Send("DELETE", "/api/1.1/auth/session");
  ASSERT_EQ(200, logout.status);
  EXPECT_EQ("admin", logout.Json().at("username").as_string());
  EXPECT_EQ(401, Send("GET", "/api/1.1/array").status);
  EXPECT_EQ(401, Send("DELETE", "/api/1.1/auth/session").status);
  EXPECT_EQ(0u, sim_.SessionCount());
}

TEST_F(SessionApiTest, UnknownTokenOpensNoSession) {
  SimResponse response = client_->Login("not-a-token");
  EXPECT_EQ(401, response.status);
  EXPECT_EQ("invalid api token", response.Msg());
  EXPECT_EQ("", response.Header("set-cookie"));
  EXPECT_EQ(0u, sim_.SessionCount());
  EXPECT_EQ(400, Send("POST", "/api/1.1/auth/session", R"({"token": "x"})").status);
}

TEST_F(SessionApiTest, SessionIdIsFoundAnywhereInTheCookieHeader) {
  Login();
  const std::string cookie = client_->Cookie();
  const std::string id = cookie.substr(8, 32);
  for (const std::string& accepted : {"session=" + id, "theme=dark; session=" + id + "; lang=en", cookie}) {
    client_->SetCookie(accepted);
    EXPECT_EQ(200, Send("GET", "/api/1.1/array").status) << accepted;
  }
  for (const std::string& refused : {"xsession=" + id, "session=" + id + "0", "session=" + id.substr(1)}) {
    client_->SetCookie(refused);
    EXPECT_EQ(401, Send("GET", "/api/1.1/array").status) << refused;
  }
}

TEST_F(SessionApiTest, ExpiringSessionsEndsEveryLiveSession) {
  SimHttpsClient other(sim_.Url());
  Login();
  ASSERT_EQ(200, other.Login(DefaultToken()).status);
  EXPECT_NE(client_->Cookie(), other.Cookie());
  EXPECT_EQ(2u, sim_.SessionCount());

  sim_.ExpireSessions();
  EXPECT_EQ(401, Send("GET", "/api/1.1/volume").status);
  EXPECT_EQ(401, other.Send("GET", "/api/1.1/volume").status);
  EXPECT_EQ(0u, sim_.SessionCount());
  Login();
  EXPECT_EQ(200, Send("GET", "/api/1.1/volume").status);
}

TEST_F(SessionApiTest, UsersAddedAtRunTimeGetTokensAndSessions) {
  sim_.AddUser("backup", "s3cret", "token-of-backup");
  SimResponse token = Send("POST", "/api/1.2/auth/apitoken", R"({"username": "backup", "password": "s3cret"})");
  ASSERT_EQ(200, token.status);
  EXPECT_EQ("token-of-backup", token.Json().at("api_token").as_string());
  SimResponse login = client_->Login("token-of-backup", "1.2");
  ASSERT_EQ(200, login.status);
  EXPECT_EQ("backup", login.Json().at("username").as_string());
  EXPECT_THROW(sim_.AddUser("backup", "x", "other-token"), std::invalid_argument);
  EXPECT_THROW(sim_.AddUser("third", "x", "token-of-backup"), std::invalid_argument);
}

}  // namespace
