// The REST interface on thousands of generated requests, in process: every
// one gets an answer of the documented statuses with a JSON body, and the
// array's invariants hold afterwards.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <map>
#include <random>
#include <set>

#include "tools/KovaArraySim/array_state.h"
#include "tools/KovaArraySim/rest_api.h"
#include "tools/KovaArraySim/session_table.h"
#include "tools/KovaArraySim/user_directory.h"

namespace {

using kova_sim::SimSeed;

class RestApiPropertyTest : public testing::Test {
 protected:
  RestApiPropertyTest() : state_(SimSeed::Default()), users_(SimSeed::Default().users), api_(state_, users_, sessions_) {}

  template <size_t N>
  const char* Pick(const char* const (&items)[N]) {
    return items[std::uniform_int_distribution<size_t>(0, N - 1)(random_)];
  }
  // Half of the targets are well-formed resources, half random segments.
  std::string RandomTarget() {
    static const char* const kResources[] = {
        "/api/api_version", "/api/1.1/array", "/api/1.1/auth/session", "/api/1.2/auth/apitoken",
        "/api/1.1/volume", "/api/1.1/volume?snap=true", "/api/1.1/volume/db01", "/api/1.1/volume/db02",
        "/api/1.1/volume/db01.s1", "/api/1.1/volume/VSS-1", "/api/1.1/host", "/api/1.1/host/vss-host/volume",
        "/api/1.1/host/vss-host/volume/db01", "/api/1.1/host/vss-host/volume/db02", "/api/9.9/volume"};
    if (random_() % 2 == 0) return Pick(kResources);
    static const char* const kSegments[] = {"api", "1.1", "1.2", "9.9", "volume", "host", "array", "auth", "session",
                                            "apitoken", "db01", "db02", "logs01", "vss-host", "db01.s1", "s1", "",
                                            "%41", "%zz", "api_version", "..", "VSS-1"};
    static const char* const kQueries[] = {"", "", "?snap=true", "?snap=false", "?snap=x", "?a=%", "?"};
    std::string target;
    const int count = std::uniform_int_distribution<int>(1, 6)(random_);
    for (int i = 0; i < count; ++i) target += std::string("/") + (i == 0 && random_() % 4 != 0 ? "api" : Pick(kSegments));
    return target + Pick(kQueries);
  }
  std::string RandomBody() {
    static const char* const kBodies[] = {
        "", "{}", "[]", "null", "{\"snap\": true, \"source\": [\"db01\"], \"suffix\": \"s1\"}",
        "{\"snap\": true, \"source\": [\"db01\", \"db02\"], \"suffix\": \"s2\"}", "{\"source\": \"db01\"}",
        "{\"source\": \"db01.s1\", \"overwrite\": true}", "{\"eradicate\": true}", "{\"eradicate\": false}",
        "{\"size\": 1024}", "{\"size\": -1}", "{\"username\": \"admin\", \"password\": \"admin-password\"}",
        "{\"api_token\": \"3b9c7e10-5d2a-4f8e-a6c1-0e4d9b72f5a8\"}", "{\"snap\": tr", "\xff\xfe", "[[[[[[",
        "{\"source\": [\"db01\"], \"snap\": \"yes\"}"};
    return Pick(kBodies);
  }

  kova_sim::ArrayState state_;
  kova_sim::UserDirectory users_;
  kova_sim::SessionTable sessions_;
  kova_sim::RestApi api_;
  std::mt19937 random_{20240501};
};

TEST_F(RestApiPropertyTest, EveryRequestGetsADocumentedStatusAndAJsonBody) {
  static const char* const kMethods[] = {"GET", "POST", "DELETE", "PUT", "PATCH", "get"};
  std::string cookie;
  const std::set<int> documented = {200, 400, 401, 404, 405, 450};
  std::map<int, int> seen;
  for (int i = 0; i < 3000; ++i) {
    kova_sim::RecordedRequest request{Pick(kMethods), RandomTarget(), RandomBody(), {}};
    if (!sessions_.Find(cookie)) cookie = "session=" + sessions_.Open("admin");
    if (random_() % 4 != 0) request.headers["cookie"] = cookie;
    const kova_sim::HttpReply reply = api_.Handle(request);
    ASSERT_EQ(1u, documented.count(reply.status)) << request.method << " " << request.target << " " << reply.body;
    std::error_code error;
    const web::json::value body = web::json::value::parse(reply.body, error);
    ASSERT_FALSE(error) << reply.body;
    ASSERT_TRUE(body.is_object() || body.is_array()) << reply.body;
    if (reply.status != 200) {
      EXPECT_TRUE(body.has_field("msg")) << reply.body;
    }
    ++seen[reply.status];
  }
  // The generator reaches every documented status, successes included.
  for (int status : documented) EXPECT_GE(seen[status], 5) << status;
  // Invariants: live names are unique, serials unique, connections name live volumes.
  const web::json::value state = state_.Describe();
  std::set<std::string> names;
  std::set<std::string> serials;
  for (const char* list : {"volumes", "snapshots"}) {
    for (size_t i = 0; i < state.at(list).size(); ++i) {
      EXPECT_TRUE(names.insert(state.at(list).at(i).at("name").as_string()).second);
      EXPECT_TRUE(serials.insert(state.at(list).at(i).at("serial").as_string()).second);
    }
  }
  for (size_t i = 0; i < state.at("connections").size(); ++i) {
    EXPECT_EQ(1u, names.count(state.at("connections").at(i).at("volume").as_string()));
  }
}

}  // namespace
