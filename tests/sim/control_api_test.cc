// The emulator's control endpoints under "/_sim/", through real HTTPS.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "tests/sim/sim_test_fixture.h"

namespace {

using testing::HasSubstr;

class ControlApiTest : public SimTest {};

TEST_F(ControlApiTest, FaultsAreInjectedAndClearedAsJson) {
  ASSERT_EQ(200, Send("POST", "/_sim/faults",
                      R"({"kind": "status", "status": 503, "path_contains": "/api_version", "times": -1, "body": "{}"})")
                     .status);
  EXPECT_EQ(503, Send("GET", "/api/api_version").status);
  EXPECT_EQ(503, Send("GET", "/api/api_version").status);
  ASSERT_EQ(200, Send("DELETE", "/_sim/faults").status);
  EXPECT_EQ(200, Send("GET", "/api/api_version").status);

  ASSERT_EQ(200, Send("POST", "/_sim/faults",
                      R"({"kind": "raw_body", "status": 202, "body": "plain", "content_type": "text/plain"})")
                     .status);
  SimResponse raw = Send("GET", "/api/api_version");
  EXPECT_EQ(202, raw.status);
  EXPECT_EQ("plain", raw.body);
  EXPECT_EQ("text/plain", raw.Header("content-type"));

  Login();
  ASSERT_EQ(200, Send("POST", "/_sim/faults", R"({"kind": "execute_then_drop", "method": "DELETE"})").status);
  ASSERT_EQ(200, Send("POST", "/_sim/faults", R"({"kind": "late_answer", "method": "DELETE", "delay_ms": 1})").status);
  // New clients: the HTTP library silently resends on a reused connection.
  SimHttpsClient dropped(sim_.Url());
  dropped.SetCookie(client_->Cookie());
  EXPECT_THROW(dropped.Send("DELETE", "/api/1.1/volume/db01"), web::http::http_exception);
  SimHttpsClient late(sim_.Url());
  late.SetCookie(client_->Cookie());
  EXPECT_EQ(200, late.Send("DELETE", "/api/1.1/volume/db02").status);
  EXPECT_EQ(std::vector<std::string>{"logs01"}, Names(sim_.State().at("volumes")));
}

TEST_F(ControlApiTest, UnusableFaultJsonIsRefusedNamingTheMember) {
  const std::pair<const char*, const char*> cases[] = {
      {R"({"kind": "explode"})", "kind"},
      {R"({"status": 500})", "kind"},
      {R"({"kind": "status", "times": "twice"})", "times"},
      {R"({"kind": "status", "times": 0})", "times"},
      {R"({"kind": "delay", "delay_ms": 1.5})", "delay_ms"},
      {R"({"kind": "status", "method": 1})", "method"},
      {R"({"kind": "status", "colour": "red"})", "colour"},
      {"[]", "object"},
      {"{not json", "JSON"},
  };
  for (const auto& c : cases) {
    SimResponse response = Send("POST", "/_sim/faults", c.first);
    EXPECT_EQ(400, response.status) << c.first;
    EXPECT_THAT(response.Msg(), HasSubstr(c.second)) << c.first;
  }
  EXPECT_EQ(200, Send("GET", "/api/api_version").status);
}

TEST_F(ControlApiTest, SessionsExpireOnRequest) {
  Login();
  ASSERT_EQ(200, Send("GET", "/api/1.1/array").status);
  ASSERT_EQ(200, Send("POST", "/_sim/expire-sessions").status);
  EXPECT_EQ(401, Send("GET", "/api/1.1/array").status);
}

TEST_F(ControlApiTest, RequestLogIsListedAndClearedWithoutRecordingItself) {
  Login();
  ASSERT_EQ(200, Send("GET", "/api/1.1/volume?snap=true").status);
  SimResponse listed = Send("GET", "/_sim/requests");
  ASSERT_EQ(200, listed.status);
  const web::json::value log = listed.Json();
  ASSERT_EQ(2u, log.size());
  EXPECT_EQ("POST", log.at(0).at("method").as_string());
  EXPECT_EQ("/api/1.1/auth/session", log.at(0).at("target").as_string());
  EXPECT_THAT(log.at(0).at("body").as_string(), HasSubstr(DefaultToken()));
  EXPECT_EQ("/api/1.1/volume?snap=true", log.at(1).at("target").as_string());
  EXPECT_EQ(client_->Cookie(), log.at(1).at("headers").at("cookie").as_string());

  ASSERT_EQ(200, Send("DELETE", "/_sim/requests").status);
  EXPECT_EQ(0u, Send("GET", "/_sim/requests").Json().size());
  EXPECT_TRUE(sim_.Requests().empty());
}

TEST_F(ControlApiTest, StateShowsTheArrayContentAndSessionCount) {
  Login();
  ASSERT_EQ(200, Send("POST", "/api/1.1/host/vss-host/volume/db02").status);
  SimResponse response = Send("GET", "/_sim/state");
  ASSERT_EQ(200, response.status);
  const web::json::value state = response.Json();
  EXPECT_EQ(sim_.ArrayId(), state.at("array").at("id").as_string());
  EXPECT_EQ(3u, state.at("volumes").size());
  EXPECT_EQ(0u, state.at("snapshots").size());
  EXPECT_EQ(1u, state.at("hosts").size());
  EXPECT_EQ("db02", state.at("connections").at(0).at("volume").as_string());
  EXPECT_EQ(1, state.at("sessions").as_integer());
}

TEST_F(ControlApiTest, ASeedStartsTheArrayAgainFromIt) {
  Login();
  ASSERT_EQ(200, Send("DELETE", "/api/1.1/volume/db01").status);
  ASSERT_EQ(200, Send("POST", "/_sim/faults", R"({"kind": "status", "status": 503, "times": -1})").status);
  ASSERT_EQ(200, Send("PUT", "/_sim/latency", R"({"request_ms": 5})").status);
  const std::string seed = R"({"array": {"id": "0a1b2c3d-4e5f-6a7b-8c9d-0e1f2a3b4c5d", "name": "again"},
    "versions": ["1.1"], "users": [{"username": "u", "password": "p", "api_token": "t-1"}],
    "volumes": [{"name": "fresh", "size": 1024}], "latency": {"snapshot_ms": 7}})";
  ASSERT_EQ(200, Send("PUT", "/_sim/seed", seed).status);

  EXPECT_EQ(401, Send("GET", "/api/1.1/array").status) << "sessions end, faults go";
  EXPECT_EQ(401,
            Send("POST", "/api/1.1/auth/session", R"({"api_token": ")" + DefaultToken() + R"("})").status);
  ASSERT_EQ(200, client_->Login("t-1").status);
  EXPECT_EQ(std::vector<std::string>{"fresh"}, Names(sim_.State().at("volumes")));
  EXPECT_EQ("again", sim_.State().at("array").at("name").as_string());
  EXPECT_EQ(450, Send("GET", "/api/1.2/array").status);
  EXPECT_EQ(0, sim_.Latency().request_ms);
  EXPECT_EQ(7, sim_.Latency().snapshot_ms);
  EXPECT_EQ(4u, sim_.Requests().size()) << "the log starts again too";
}

TEST_F(ControlApiTest, AnUnusableSeedChangesNothing) {
  for (const char* seed : {"{not json", R"({"array": {"id": "x", "name": "n"}, "versions": ["1.1"]})",
                           R"({"versions": ["1.1"]})"}) {
    SimResponse response = Send("PUT", "/_sim/seed", seed);
    EXPECT_EQ(400, response.status) << seed;
    EXPECT_FALSE(response.Msg().empty()) << seed;
  }
  EXPECT_EQ(3u, sim_.State().at("volumes").size());
  Login();
}

TEST_F(ControlApiTest, VersionsAreSetAsAListAndBadListsRefused) {
  ASSERT_EQ(200, Send("PUT", "/_sim/versions", R"({"versions": ["2.0", "1.1"]})").status);
  EXPECT_EQ(R"({"version":["2.0","1.1"]})", Send("GET", "/api/api_version").Json().serialize());
  for (const char* body : {R"({"versions": []})", R"({"versions": [""]})", R"({"versions": "1.1"})",
                           R"({"versions": [1]})", R"({"versions": ["1.1"], "x": 1})", "{}", "[not json"}) {
    EXPECT_EQ(400, Send("PUT", "/_sim/versions", body).status) << body;
  }
  EXPECT_EQ(R"({"version":["2.0","1.1"]})", Send("GET", "/api/api_version").Json().serialize());
}

TEST_F(ControlApiTest, HandlersCountTheArrayRequestsNotYetAnswered) {
  const auto running = [this] { return Send("GET", "/_sim/handlers").Json().at("running").as_integer(); };
  EXPECT_EQ(0, running());
  ASSERT_EQ(200, Send("PUT", "/_sim/latency", R"({"request_ms": 400})").status);
  std::thread slow([this] { SimHttpsClient(sim_.Url()).Send("GET", "/api/1.1/array"); });
  int seen = 0;
  for (int i = 0; i < 200 && seen == 0; ++i) {
    seen = running();
    if (seen == 0) std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  slow.join();
  EXPECT_EQ(1, seen) << "the control request itself is not counted";
  EXPECT_EQ(0, running());
}

TEST_F(ControlApiTest, UnknownControlPathsAndMethodsAreRefused) {
  EXPECT_EQ(404, Send("GET", "/_sim/nothing").status);
  EXPECT_EQ(404, Send("GET", "/_sim").status);
  EXPECT_EQ(405, Send("GET", "/_sim/faults").status);
  EXPECT_EQ(405, Send("POST", "/_sim/state").status);
  EXPECT_EQ(405, Send("GET", "/_sim/seed").status);
  EXPECT_EQ(405, Send("GET", "/_sim/versions").status);
  EXPECT_EQ(405, Send("DELETE", "/_sim/handlers").status);
  EXPECT_TRUE(sim_.Requests().empty());
}

}  // namespace
