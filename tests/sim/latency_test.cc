// The emulator's latency model: how late it answers what it carries out,
// set from the seed, in process and through the control endpoint.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "tests/sim/sim_test_fixture.h"

namespace {

using std::chrono::milliseconds;
using std::chrono::steady_clock;
using testing::ElementsAre;
using testing::HasSubstr;

const char kSnapBody[] = R"({"snap": true, "source": ["db01", "db02", "logs01"], "suffix": "late"})";

kova_sim::SimSeed SeedWithLatency(int request_ms, int snapshot_ms) {
  kova_sim::SimSeed seed = kova_sim::SimSeed::Default();
  seed.latency = {request_ms, snapshot_ms};
  return seed;
}

// How long |send| takes.
template <typename Send>
milliseconds Timed(Send send) {
  const auto start = steady_clock::now();
  send();
  return std::chrono::duration_cast<milliseconds>(steady_clock::now() - start);
}

class SeededLatencyTest : public SimTest {
 protected:
  SeededLatencyTest() : SimTest(SeedWithLatency(60, 120)) {}
};

TEST_F(SeededLatencyTest, ASnapshotRequestWaitsTheRequestTimeAndOneSnapshotTimePerSnapshot) {
  EXPECT_EQ(60, sim_.Latency().request_ms);
  EXPECT_EQ(120, sim_.Latency().snapshot_ms);
  EXPECT_GE(Timed([&] { Login(); }), milliseconds(60));
  SimResponse made;
  EXPECT_GE(Timed([&] { made = Send("POST", "/api/1.1/volume", kSnapBody); }), milliseconds(60 + 3 * 120));
  ASSERT_EQ(200, made.status);
  EXPECT_THAT(Names(made.Json()), ElementsAre("db01.late", "db02.late", "logs01.late"));
}

class LatencyTest : public SimTest {
 protected:
  void SetUp() override {
    SimTest::SetUp();
    Login();
  }
};

TEST_F(LatencyTest, WithoutASettingThereIsNone) {
  EXPECT_EQ(0, sim_.Latency().request_ms);
  EXPECT_EQ(0, sim_.Latency().snapshot_ms);
  SimResponse latency = Send("GET", "/_sim/latency");
  ASSERT_EQ(200, latency.status);
  EXPECT_EQ(0, latency.Json().at("request_ms").as_integer());
  EXPECT_EQ(0, latency.Json().at("snapshot_ms").as_integer());
}

TEST_F(LatencyTest, ARefusedSnapshotRequestMakesNoSnapshotSoCostsNoSnapshotTime) {
  sim_.SetLatency({0, 20000});
  SimResponse refused;
  EXPECT_LT(Timed([&] {
              refused = Send("POST", "/api/1.1/volume",
                             R"({"snap": true, "source": ["db01", "db09"], "suffix": "late"})");
            }),
            milliseconds(10000));
  EXPECT_EQ(400, refused.status);
  EXPECT_EQ(0u, sim_.State().at("snapshots").size());
}

TEST_F(LatencyTest, ControlRequestsAndFaultsAnsweringInTheArraysPlaceAreNotDelayed) {
  sim_.SetLatency({20000, 0});
  kova_sim::Fault fault;
  fault.kind = kova_sim::Fault::Kind::kStatus;
  fault.path_contains = "/array";
  fault.status = 503;
  fault.body = "{}";
  sim_.InjectFault(fault);
  EXPECT_LT(Timed([&] {
              EXPECT_EQ(200, Send("GET", "/_sim/state").status);
              EXPECT_EQ(503, Send("GET", "/api/1.1/array").status);
            }),
            milliseconds(10000));
}

TEST_F(LatencyTest, TheControlEndpointReplacesTheMembersGiven) {
  SimResponse set = Send("PUT", "/_sim/latency", R"({"snapshot_ms": 150})");
  ASSERT_EQ(200, set.status);
  EXPECT_EQ(0, set.Json().at("request_ms").as_integer());
  EXPECT_EQ(150, set.Json().at("snapshot_ms").as_integer());
  ASSERT_EQ(200, Send("PUT", "/_sim/latency", R"({"request_ms": 40})").status);
  EXPECT_EQ(40, sim_.Latency().request_ms);
  EXPECT_EQ(150, sim_.Latency().snapshot_ms);
  SimResponse read = Send("GET", "/_sim/latency");
  EXPECT_EQ(40, read.Json().at("request_ms").as_integer());
  EXPECT_EQ(150, read.Json().at("snapshot_ms").as_integer());
  EXPECT_GE(Timed([&] { Send("POST", "/api/1.1/volume", kSnapBody); }), milliseconds(40 + 3 * 150));
}

TEST_F(LatencyTest, UnusableLatenciesAreRefusedNamingTheMemberAndChangeNothing) {
  sim_.SetLatency({5, 7});
  const std::pair<const char*, const char*> cases[] = {
      {R"({"request_ms": -1})", "latency.request_ms"},
      {R"({"snapshot_ms": 60001})", "latency.snapshot_ms"},
      {R"({"snapshot_ms": 1.5})", "snapshot_ms"},
      {R"({"request_ms": "10"})", "request_ms"},
      {R"({"request_ms": 10, "delay": 1})", "delay"},
      {"[]", "object"},
      {"{not json", "JSON"},
  };
  for (const auto& c : cases) {
    SimResponse response = Send("PUT", "/_sim/latency", c.first);
    EXPECT_EQ(400, response.status) << c.first;
    EXPECT_THAT(response.Msg(), HasSubstr(c.second)) << c.first;
  }
  EXPECT_THROW(sim_.SetLatency({-1, 0}), std::invalid_argument);
  EXPECT_THROW(sim_.SetLatency({0, 60001}), std::invalid_argument);
  EXPECT_EQ(5, sim_.Latency().request_ms);
  EXPECT_EQ(7, sim_.Latency().snapshot_ms);
  EXPECT_EQ(405, Send("POST", "/_sim/latency", "{}").status);
}

TEST_F(LatencyTest, StopCutsAWaitingAnswerShortAndDropsItsConnection) {
  sim_.SetLatency({60000, 0});
  std::atomic<bool> failed{false};
  std::thread waiting([&] {
    try {
      SimHttpsClient other(sim_.Url());
      other.SetCookie(client_->Cookie());
      other.Send("GET", "/api/1.1/array");
    } catch (const web::http::http_exception&) {
      failed = true;
    }
  });
  for (int i = 0; i < 500 && sim_.Requests().size() < 2; ++i) std::this_thread::sleep_for(milliseconds(10));
  EXPECT_LT(Timed([&] { sim_.Stop(); }), milliseconds(2000));
  waiting.join();
  EXPECT_TRUE(failed);
}

}  // namespace
