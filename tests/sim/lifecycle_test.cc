// Starting and stopping the emulator: quickly and often, with clients
// connected, on busy ports, and concurrently used.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <boost/asio/io_context.hpp>
#include <boost/asio/ip/tcp.hpp>

#include <atomic>
#include <chrono>
#include <thread>

#include "tests/sim/raw_exchange.h"
#include "tests/sim/sim_https_client.h"
#include "tools/KovaArraySim/array_sim.h"
#include "tools/KovaArraySim/https_server.h"

namespace {

using Clock = std::chrono::steady_clock;
using testing::HasSubstr;

TEST(LifecycleTest, FiftyStartStopCyclesEachServeARequest) {
  for (int cycle = 0; cycle < 50; ++cycle) {
    kova_sim::ArraySim sim;
    sim.Start();
    ASSERT_NE(0, sim.Port());
    EXPECT_EQ("https://127.0.0.1:" + std::to_string(sim.Port()), sim.Url());
    SimHttpsClient client(sim.Url());
    ASSERT_EQ(200, client.Send("GET", "/api/api_version").status) << "cycle " << cycle;
    sim.Stop();
    EXPECT_EQ(0, sim.Port());
    EXPECT_EQ("", sim.Url());
  }
}

TEST(LifecycleTest, StopIsQuickWithIdleAndSilentConnectionsOpen) {
  kova_sim::ArraySim sim;
  sim.Start();
  SimHttpsClient kept_alive(sim.Url());
  ASSERT_EQ(200, kept_alive.Send("GET", "/api/api_version").status);
  boost::asio::io_context io;
  std::vector<boost::asio::ip::tcp::socket> silent;
  for (int i = 0; i < 5; ++i) {
    silent.emplace_back(io);
    silent.back().connect({boost::asio::ip::make_address("127.0.0.1"), sim.Port()});
  }
  const auto start = Clock::now();
  sim.Stop();
  sim.Stop();
  EXPECT_LT(Clock::now() - start, std::chrono::seconds(1));
}

TEST(LifecycleTest, StopWhileClientsAreBusyEndsEveryConnection) {
  for (int cycle = 0; cycle < 5; ++cycle) {
    kova_sim::ArraySim sim;
    sim.Start();
    const std::string url = sim.Url();
    std::atomic<bool> stopped{false};
    std::atomic<int> answered{0};
    std::vector<std::thread> clients;
    for (int c = 0; c < 4; ++c) {
      clients.emplace_back([&] {
        for (int i = 0; i < 2000 && !stopped; ++i) {
          try {
            SimHttpsClient client(url);
            if (client.Login(DefaultToken()).status == 200) ++answered;
          } catch (const web::http::http_exception&) {
          }
        }
      });
    }
    for (int i = 0; i < 10000 && answered < 8; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    EXPECT_GE(answered.load(), 8);
    const auto start = Clock::now();
    sim.Stop();
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(2));
    stopped = true;
    for (std::thread& t : clients) t.join();
  }
}

TEST(LifecycleTest, RestartKeepsTheArrayContent) {
  kova_sim::ArraySim sim;
  sim.Start();
  {
    SimHttpsClient client(sim.Url());
    ASSERT_EQ(200, client.Login(DefaultToken()).status);
    ASSERT_EQ(200, client.Send("POST", "/api/1.1/volume", R"({"snap": true, "source": ["db01"], "suffix": "s"})")
                       .status);
  }
  sim.Stop();
  EXPECT_EQ(1u, sim.State().at("snapshots").size());
  sim.Start();
  SimHttpsClient client(sim.Url());
  ASSERT_EQ(200, client.Login(DefaultToken()).status);
  EXPECT_EQ(200, client.Send("GET", "/api/1.1/volume/db01.s").status);
}

TEST(LifecycleTest, StartFailuresAreReported) {
  kova_sim::ArraySim first;
  first.Start();
  EXPECT_THROW(first.Start(), std::logic_error);
  kova_sim::ArraySim second;
  try {
    second.Start(first.Port());
    FAIL() << "a busy port was bound";
  } catch (const std::runtime_error& e) {
    EXPECT_THAT(e.what(), HasSubstr("cannot listen on 127.0.0.1:" + std::to_string(first.Port())));
  }
  EXPECT_EQ(0, second.Port());
  try {
    second.Start(0, "localhost");
    FAIL() << "a host name was accepted";
  } catch (const std::runtime_error& e) {
    EXPECT_THAT(e.what(), HasSubstr("not an IP address"));
  }
  second.Start();
  EXPECT_NE(first.Port(), second.Port());
}

TEST(LifecycleTest, ConcurrentClientsEachKeepTheirOwnSession) {
  kova_sim::ArraySim sim;
  sim.Start();
  std::vector<std::thread> clients;
  std::atomic<int> answered{0};
  for (int c = 0; c < 6; ++c) {
    clients.emplace_back([&sim, &answered, c] {
      SimHttpsClient client(sim.Url());
      if (client.Login(DefaultToken()).status != 200) return;
      const std::string suffix = "c" + std::to_string(c);
      for (int i = 0; i < 5; ++i) {
        const std::string body = R"({"snap": true, "source": ["db01"], "suffix": ")" + suffix + std::to_string(i) + "\"}";
        if (client.Send("POST", "/api/1.1/volume", body).status == 200) ++answered;
      }
    });
  }
  for (std::thread& t : clients) t.join();
  EXPECT_EQ(30, answered.load());
  EXPECT_EQ(30u, sim.State().at("snapshots").size());
  EXPECT_EQ(6u, sim.SessionCount());
}

TEST(LifecycleTest, AtTheConnectionLimitTheLongestIdleConnectionMakesRoom) {
  kova_sim::ArraySim sim;
  sim.Start();
  boost::asio::io_context io;
  std::vector<boost::asio::ip::tcp::socket> idle;
  for (size_t i = 0; i < kova_sim::HttpsServer::kMaxConnections; ++i) {
    idle.emplace_back(io);
    idle.back().connect({boost::asio::ip::make_address("127.0.0.1"), sim.Port()});
  }
  SimHttpsClient client(sim.Url());
  EXPECT_EQ(200, client.Send("GET", "/api/api_version").status);
  // The first idle connection was closed by the emulator; the second was not.
  char byte;
  boost::system::error_code first_error = boost::asio::error::would_block;
  boost::system::error_code second_error = boost::asio::error::would_block;
  idle[0].async_read_some(boost::asio::buffer(&byte, 1),
                          [&](const boost::system::error_code& e, size_t) { first_error = e; });
  idle[1].async_read_some(boost::asio::buffer(&byte, 1),
                          [&](const boost::system::error_code& e, size_t) { second_error = e; });
  io.run_for(std::chrono::milliseconds(500));
  EXPECT_EQ(boost::asio::error::eof, first_error);
  EXPECT_EQ(boost::asio::error::would_block, second_error);
}

}  // namespace
