// A running array emulator with the demo seed, an in-memory registry and a
// log capture: the common ground of the library's tests.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "library/rest/kova_rest.h"
#include "platform/memory_registry.h"
#include "tests/support/scoped_test_log.h"
#include "tests/support/test_array_sim.h"

class ArraySimTest : public testing::Test {
 protected:
  explicit ArraySimTest(kova_sim::SimSeed seed = kova_sim::SimSeed::Default())
      : log_(LOG_TRACE), seed_(std::move(seed)), sim_(seed_) {}

  void SetUp() override {
    platform::SetMachineRegistry(registry_);
    sim_.Start();
  }
  void TearDown() override {
    sim_.Stop();
    platform::SetMachineRegistry(nullptr);
  }

  utility::string_t Url() const { return utility::conversions::to_string_t(sim_.Url()); }
  utility::string_t Token() const {
    return utility::conversions::to_string_t(seed_.users.at(0).api_token);
  }
  // A transport configured for the emulator with REST version 1.1.
  KovaREST ConfiguredRest(int32_t timeout_seconds = 5) const {
    KovaREST rest(timeout_seconds);
    rest.Configure(Url(), Token(), U("1.1"));
    return rest;
  }
  // "METHOD target" of every request the emulator received, in order.
  std::vector<std::string> RequestLines() const {
    std::vector<std::string> lines;
    for (const auto& request : sim_.Requests()) lines.push_back(request.method + " " + request.target);
    return lines;
  }
  kova_sim::Fault StatusFault(const std::string& method, const std::string& path, int status,
                              int times = 1, const std::string& body = "{}") const {
    kova_sim::Fault fault;
    fault.kind = kova_sim::Fault::Kind::kStatus;
    fault.method = method;
    fault.path_contains = path;
    fault.status = status;
    fault.times = times;
    fault.body = body;
    return fault;
  }

  std::shared_ptr<platform::Registry> registry_ = platform::CreateMemoryRegistry();
  ScopedTestLog log_;
  kova_sim::SimSeed seed_;
  TestArraySim sim_;
};
