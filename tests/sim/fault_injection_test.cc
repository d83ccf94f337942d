// Injected faults and the request log, through real HTTPS.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <memory>
#include <thread>

#include "tests/sim/sim_test_fixture.h"

namespace {

using kova_sim::Fault;
using testing::HasSubstr;

Fault MakeFault(Fault::Kind kind, const std::string& method, const std::string& path, int times = 1) {
  Fault fault;
  fault.kind = kind;
  fault.method = method;
  fault.path_contains = path;
  fault.times = times;
  return fault;
}

class FaultInjectionTest : public SimTest {
 protected:
  void SetUp() override {
    SimTest::SetUp();
    Login();
  }
  size_t SnapshotCount() { return sim_.State().at("snapshots").size(); }
  // A new client in the session: the HTTP library silently resends on a
  // reused connection, which would hide a dropped one.
  std::unique_ptr<SimHttpsClient> FreshClient() const {
    auto fresh = std::make_unique<SimHttpsClient>(sim_.Url());
    fresh->SetCookie(client_->Cookie());
    return fresh;
  }
};

TEST_F(FaultInjectionTest, StatusFaultAnswersItsTimesThenTheArrayAnswersAgain) {
  Fault fault = MakeFault(Fault::Kind::kStatus, "GET", "/array", 2);
  fault.status = 503;
  fault.body = R"({"msg": "busy"})";
  sim_.InjectFault(fault);
  for (int i = 0; i < 2; ++i) {
    SimResponse response = Send("GET", "/api/1.1/array");
    EXPECT_EQ(503, response.status);
    EXPECT_EQ("busy", response.Msg());
    EXPECT_EQ("application/json", response.Header("content-type"));
  }
  EXPECT_EQ(200, Send("GET", "/api/1.1/array").status);
}

TEST_F(FaultInjectionTest, FaultsMatchMethodAndPathInInjectionOrder) {
  Fault first = MakeFault(Fault::Kind::kStatus, "delete", "/volume/db0");
  first.status = 501;
  Fault second = MakeFault(Fault::Kind::kStatus, "", "/volume/db01");
  second.status = 502;
  sim_.InjectFault(first);
  sim_.InjectFault(second);
  EXPECT_EQ(200, Send("GET", "/api/1.1/volume/db02").status);  // second does not match db02
  EXPECT_EQ(502, Send("GET", "/api/1.1/volume/db01").status);  // first is DELETE only
  EXPECT_EQ(501, Send("DELETE", "/api/1.1/volume/db01").status);
  EXPECT_EQ(200, Send("DELETE", "/api/1.1/volume/db01").status);
}

TEST_F(FaultInjectionTest, SkippedRequestsPassBeforeTheFaultApplies) {
  Fault fault = MakeFault(Fault::Kind::kStatus, "GET", "/array", 1);
  fault.skip = 2;
  fault.status = 503;
  sim_.InjectFault(fault);
  EXPECT_EQ(200, Send("GET", "/api/1.1/array").status);
  EXPECT_EQ(200, Send("GET", "/api/1.1/volume").status);  // does not match: not counted
  EXPECT_EQ(200, Send("GET", "/api/1.1/array").status);
  EXPECT_EQ(503, Send("GET", "/api/1.1/array").status);
  EXPECT_EQ(200, Send("GET", "/api/1.1/array").status);
}

TEST_F(FaultInjectionTest, ForeverFaultsMatchUntilCleared) {
  Fault fault = MakeFault(Fault::Kind::kStatus, "", "snap=true", -1);
  fault.status = 500;
  sim_.InjectFault(fault);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(500, Send("GET", "/api/1.1/volume?snap=true").status);
  EXPECT_EQ(200, Send("GET", "/api/1.1/volume").status);
  sim_.ClearFaults();
  EXPECT_EQ(200, Send("GET", "/api/1.1/volume?snap=true").status);
}

TEST_F(FaultInjectionTest, StatusFaultsThatAllowNoBodyAnswerWithout) {
  Fault fault = MakeFault(Fault::Kind::kStatus, "GET", "/array");
  fault.status = 204;
  fault.body = R"({"msg": "dropped"})";
  sim_.InjectFault(fault);
  SimResponse response = Send("GET", "/api/1.1/array");
  EXPECT_EQ(204, response.status);
  EXPECT_EQ("", response.body);
  EXPECT_EQ(200, Send("GET", "/api/1.1/array").status);
}

TEST_F(FaultInjectionTest, RawBodyFaultSendsItsBodyAndContentType) {
  Fault fault = MakeFault(Fault::Kind::kRawBody, "GET", "/host");
  fault.status = 200;
  fault.body = "<html>not json</html>";
  fault.content_type = "text/html";
  sim_.InjectFault(fault);
  SimResponse response = Send("GET", "/api/1.1/host");
  EXPECT_EQ(200, response.status);
  EXPECT_EQ("<html>not json</html>", response.body);
  EXPECT_EQ("text/html", response.Header("content-type"));
}

TEST_F(FaultInjectionTest, DelayFaultAnswersNormallyAfterTheDelay) {
  Fault fault = MakeFault(Fault::Kind::kDelay, "GET", "/array");
  fault.delay_ms = 300;
  sim_.InjectFault(fault);
  const auto start = std::chrono::steady_clock::now();
  SimResponse response = Send("GET", "/api/1.1/array");
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(300));
  EXPECT_EQ(200, response.status);
  EXPECT_EQ(sim_.ArrayId(), response.Json().at("id").as_string());
}

TEST_F(FaultInjectionTest, DropFaultClosesWithoutAnswerAndDoesNotExecute) {
  sim_.InjectFault(MakeFault(Fault::Kind::kDrop, "POST", "/volume"));
  const std::string body = R"({"snap": true, "source": ["db01"], "suffix": "s1"})";
  EXPECT_THROW(FreshClient()->Send("POST", "/api/1.1/volume", body), web::http::http_exception);
  EXPECT_EQ(0u, SnapshotCount());
  ASSERT_EQ(2u, sim_.Requests().size());  // the login and the dropped request
  EXPECT_EQ("POST", sim_.Requests().back().method);
  EXPECT_EQ(200, Send("POST", "/api/1.1/volume", body).status);
}

TEST_F(FaultInjectionTest, TruncateFaultExecutesButCutsTheAnswerShort) {
  sim_.InjectFault(MakeFault(Fault::Kind::kTruncate, "POST", "/volume"));
  EXPECT_THROW(FreshClient()->Send("POST", "/api/1.1/volume", R"({"snap": true, "source": ["db01"], "suffix": "s1"})"),
               web::http::http_exception);
  EXPECT_EQ(1u, SnapshotCount());
}

TEST_F(FaultInjectionTest, ExecuteThenDropFaultDoesTheWorkAndLosesTheAnswer) {
  sim_.InjectFault(MakeFault(Fault::Kind::kExecuteThenDrop, "POST", "/volume"));
  const std::string body = R"({"snap": true, "source": ["db01"], "suffix": "s1"})";
  EXPECT_THROW(FreshClient()->Send("POST", "/api/1.1/volume", body), web::http::http_exception);
  EXPECT_EQ(1u, SnapshotCount());
  EXPECT_EQ(0u, sim_.HandlersRunning());
  // Used up: the same request now meets the snapshot it made.
  EXPECT_EQ(400, Send("POST", "/api/1.1/volume", body).status);
}

TEST_F(FaultInjectionTest, LateAnswerFaultDoesTheWorkAtOnceAndAnswersAfterTheDelay) {
  Fault fault = MakeFault(Fault::Kind::kLateAnswer, "POST", "/volume");
  fault.delay_ms = 800;
  sim_.InjectFault(fault);
  const auto start = std::chrono::steady_clock::now();
  int status = 0;
  std::unique_ptr<SimHttpsClient> other = FreshClient();
  std::thread waiting([&] {
    status = other->Send("POST", "/api/1.1/volume", R"({"snap": true, "source": ["db01"], "suffix": "s1"})").status;
  });
  for (int i = 0; i < 500 && SnapshotCount() == 0; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(5));
  // The snapshot exists while its answer is still held back.
  EXPECT_EQ(1u, SnapshotCount());
  EXPECT_EQ(1u, sim_.HandlersRunning());
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(800));
  waiting.join();
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(800));
  EXPECT_EQ(200, status);
  EXPECT_EQ(0u, sim_.HandlersRunning());
}

TEST_F(FaultInjectionTest, NoSessionCookieFaultOpensTheSessionButHidesTheCookie) {
  sim_.InjectFault(MakeFault(Fault::Kind::kNoSessionCookie, "POST", "/auth/session"));
  SimHttpsClient other(sim_.Url());
  SimResponse response = other.Login(DefaultToken());
  EXPECT_EQ(200, response.status);
  EXPECT_EQ("admin", response.Json().at("username").as_string());
  EXPECT_EQ("", response.Header("set-cookie"));
  EXPECT_EQ(2u, sim_.SessionCount());
}

TEST_F(FaultInjectionTest, UnusableFaultsAreRefused) {
  Fault fault = MakeFault(Fault::Kind::kStatus, "", "", 0);
  EXPECT_THROW(sim_.InjectFault(fault), std::invalid_argument);
  fault.times = -2;
  EXPECT_THROW(sim_.InjectFault(fault), std::invalid_argument);
  fault.times = 1;
  fault.status = 99;
  EXPECT_THROW(sim_.InjectFault(fault), std::invalid_argument);
  fault.status = 1000;
  EXPECT_THROW(sim_.InjectFault(fault), std::invalid_argument);
  fault.status = 500;
  fault.delay_ms = -1;
  EXPECT_THROW(sim_.InjectFault(fault), std::invalid_argument);
  EXPECT_EQ(200, Send("GET", "/api/1.1/array").status);
}

TEST_F(FaultInjectionTest, StopCutsALongDelayShort) {
  Fault fault = MakeFault(Fault::Kind::kDelay, "GET", "/array");
  fault.delay_ms = 60000;
  sim_.InjectFault(fault);
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
  for (int i = 0; i < 500 && sim_.Requests().size() < 2; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  const auto start = std::chrono::steady_clock::now();
  sim_.Stop();
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
  waiting.join();
  EXPECT_TRUE(failed);
}

TEST_F(FaultInjectionTest, RequestLogHoldsEveryRequestAsSent) {
  sim_.ClearRequests();
  SimResponse listed = client_->Send("GET", "/api/1.1/volume?snap=true", "", {{"X-Trace", "abc"}});
  ASSERT_EQ(200, listed.status);
  const std::string body = R"({"snap": true,  "source": ["db01"], "suffix": "s1"})";
  ASSERT_EQ(200, Send("POST", "/api/1.1/volume", body).status);
  ASSERT_EQ(200, Send("GET", "/_sim/state").status);  // control requests are not recorded

  const std::vector<kova_sim::RecordedRequest> requests = sim_.Requests();
  ASSERT_EQ(2u, requests.size());
  EXPECT_EQ("GET", requests[0].method);
  EXPECT_EQ("/api/1.1/volume?snap=true", requests[0].target);
  EXPECT_EQ("", requests[0].body);
  EXPECT_EQ(client_->Cookie(), requests[0].headers.at("cookie"));
  EXPECT_EQ("abc", requests[0].headers.at("x-trace"));
  EXPECT_EQ("POST", requests[1].method);
  EXPECT_EQ(body, requests[1].body);
  EXPECT_THAT(requests[1].headers.at("content-type"), HasSubstr("application/json"));
  for (const auto& header : requests[1].headers) {
    EXPECT_TRUE(std::none_of(header.first.begin(), header.first.end(), [](char c) { return c >= 'A' && c <= 'Z'; }))
        << header.first;
  }
  sim_.ClearRequests();
  EXPECT_TRUE(sim_.Requests().empty());
}

}  // namespace
