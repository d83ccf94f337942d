// A running emulator and an HTTPS client pointed at it.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "tests/sim/sim_https_client.h"
#include "tools/KovaArraySim/array_sim.h"

class SimTest : public testing::Test {
 protected:
  explicit SimTest(kova_sim::SimSeed seed = kova_sim::SimSeed::Default()) : sim_(std::move(seed)) {}

  void SetUp() override {
    sim_.Start();
    client_ = std::make_unique<SimHttpsClient>(sim_.Url());
  }
  void TearDown() override {
    client_.reset();
    sim_.Stop();
  }

  SimResponse Send(const std::string& method, const std::string& target, const std::string& body = "") {
    return client_->Send(method, target, body);
  }
  void Login() { ASSERT_EQ(200, client_->Login(DefaultToken()).status); }

  // The "name" members of a JSON list, in order.
  static std::vector<std::string> Names(const web::json::value& list) {
    std::vector<std::string> names;
    for (size_t i = 0; i < list.size(); ++i) names.push_back(list.at(i).at("name").as_string());
    return names;
  }

  kova_sim::ArraySim sim_;
  std::unique_ptr<SimHttpsClient> client_;
};
