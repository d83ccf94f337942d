// Requests no client of ours would send: unknown paths, wrong methods, bad
// HTTP, bad escapes, huge or deeply nested bodies. The emulator answers each
// and keeps serving.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tests/sim/raw_exchange.h"
#include "tests/sim/sim_test_fixture.h"

namespace {

using testing::HasSubstr;
using testing::StartsWith;

class RobustnessTest : public SimTest {
 protected:
  RawExchange Raw(const std::string& bytes, bool tls = true) { return ExchangeRaw(sim_.Port(), bytes, tls); }
  void ExpectStillServing() { EXPECT_EQ(200, Send("GET", "/api/api_version").status); }
};

TEST_F(RobustnessTest, UnknownPathsAnswer404AndWrongMethods405) {
  for (const char* target : {"/", "/api", "/index.html", "/api/1.1", "/api/1.1/volumes", "/api/1.1/volume/a/b",
                             "/api/1.1/host/vss-host", "/api/1.1/host/vss-host/volume/db01/x"}) {
    SimResponse response = Send("GET", target);
    EXPECT_EQ(404, response.status) << target;
    EXPECT_FALSE(response.Msg().empty()) << target;
  }
  SimResponse put = Send("PUT", "/api/1.1/volume", "{}");
  EXPECT_EQ(405, put.status);
  EXPECT_EQ("GET, POST", put.Header("allow"));
  EXPECT_EQ(405, Send("PATCH", "/api/1.1/volume/db01", "{}").status);
  EXPECT_EQ(405, Send("POST", "/api/api_version", "{}").status);
  EXPECT_EQ(405, Send("GET", "/api/1.1/auth/session").status);
}

TEST_F(RobustnessTest, EscapedNamesAreDecodedAndBadEscapesRefused) {
  Login();
  EXPECT_EQ(200, Send("GET", "/api/1.1/volume/db%301").status);
  const std::string request = "GET /api/1.1/volume/db%zz HTTP/1.1\r\nHost: x\r\nCookie: " + client_->Cookie() +
                              "\r\nConnection: close\r\n\r\n";
  RawExchange bad_escape = Raw(request);
  EXPECT_THAT(bad_escape.received, StartsWith("HTTP/1.1 400"));
  EXPECT_THAT(bad_escape.received, HasSubstr("Malformed request target."));
  EXPECT_THAT(Raw("GET %00 HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n").received, StartsWith("HTTP/1.1 400"));
  ExpectStillServing();
}

TEST_F(RobustnessTest, GarbageOverTlsGets400AndTheConnectionCloses) {
  for (const char* garbage : {"NOT HTTP AT ALL\r\n\r\n", "GET\r\n\r\n", "GET / HTTP/1.1\r\nHost x\r\n\r\n",
                              "POST /api/1.1/volume HTTP/1.1\r\nContent-Length: -5\r\n\r\n"}) {
    RawExchange exchange = Raw(garbage);
    EXPECT_TRUE(exchange.handshake_done) << garbage;
    EXPECT_THAT(exchange.received, StartsWith("HTTP/1.1 400")) << garbage;
    EXPECT_TRUE(exchange.closed_by_peer) << garbage;
  }
  ExpectStillServing();
}

TEST_F(RobustnessTest, PlainTcpPeersAreDroppedAfterTheFailedHandshake) {
  RawExchange exchange = Raw("GET /api/api_version HTTP/1.1\r\nHost: x\r\n\r\n", false);
  EXPECT_TRUE(exchange.connected);
  EXPECT_TRUE(exchange.closed_by_peer);
  EXPECT_THAT(exchange.received, testing::Not(HasSubstr("HTTP/1.1 200")));
  ExpectStillServing();
}

TEST_F(RobustnessTest, OversizedRequestsAreRefusedBeforeTheirBodyIsRead) {
  RawExchange body = Raw("POST /api/1.1/volume HTTP/1.1\r\nHost: x\r\nContent-Length: 104857600\r\n\r\n");
  EXPECT_THAT(body.received, StartsWith("HTTP/1.1 413"));
  EXPECT_TRUE(body.closed_by_peer);
  RawExchange header = Raw("GET /api/api_version HTTP/1.1\r\nHost: x\r\nX-Big: " + std::string(20000, 'a') +
                           "\r\n\r\n");
  EXPECT_THAT(header.received, StartsWith("HTTP/1.1 431"));
  ExpectStillServing();
}

TEST_F(RobustnessTest, HostileJsonBodiesAreAnswered400) {
  static const char kNulInString[] = "{\"snap\": true, \"source\": [\"db01\"], \"suffix\": \"\0\"}";
  Login();
  const std::string deep = std::string(100000, '[') + std::string(100000, ']');
  const std::string bodies[] = {deep, std::string("{\"username\": \"\xff\xfe\", \"password\": \"x\"}"),
                                std::string(kNulInString, sizeof(kNulInString) - 1),
                                "{\"source\": \"" + std::string(500000, 'x') + "\"}", "1e999999", "\"\\ud800\""};
  for (const std::string& body : bodies) {
    EXPECT_EQ(400, Send("POST", "/api/1.1/volume", body).status) << body.substr(0, 40);
    EXPECT_EQ(400, Send("POST", "/api/1.1/auth/apitoken", body).status) << body.substr(0, 40);
  }
  EXPECT_EQ(400, Send("POST", "/api/1.1/volume/x", "{\"source\": \"" + std::string(500000, 'x') + "\"}").status);
  EXPECT_EQ(0u, sim_.State().at("snapshots").size());
  ExpectStillServing();
}

TEST_F(RobustnessTest, KeepAliveServesPipelinedRequestsAndConnectionCloseEndsIt) {
  const std::string get = "GET /api/api_version HTTP/1.1\r\nHost: x\r\n\r\n";
  const std::string last = "GET /api/api_version HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n";
  RawExchange exchange = Raw(get + get + last);
  size_t answers = 0;
  for (size_t at = exchange.received.find("HTTP/1.1 200"); at != std::string::npos;
       at = exchange.received.find("HTTP/1.1 200", at + 1)) {
    ++answers;
  }
  EXPECT_EQ(3u, answers);
  EXPECT_TRUE(exchange.closed_by_peer);
  EXPECT_THAT(Raw("GET /api/api_version HTTP/1.0\r\n\r\n").received, StartsWith("HTTP/1.0 200"));
}

}  // namespace
