// The configuration tool run in process: its console captured, the fakes of
// tests/support/platform_fakes.h in place of the machine's facilities, a registry in memory
// (behind FailingRegistry, so a test can make calls fail) and the log
// captured at LOG_TRACE. ToolSimTest adds a running array emulator.
#pragma once

#include <gtest/gtest.h>

#include <cpprest/asyncrt_utils.h>

#include <deque>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "OstaraRegTool/array_config.h"
#include "OstaraRegTool/tool_facilities.h"
#include "library/registry_layout.h"
#include "platform/memory_registry.h"
#include "platform/registry.h"
#include "tests/support/scoped_test_log.h"
#include "tests/support/failing_registry.h"
#include "tests/support/platform_fakes.h"
#include "tests/support/test_array_sim.h"

class ToolTest : public testing::Test {
 protected:
  ToolTest()
      : log_(LOG_TRACE),
        scope_(ToolFacilities{&out_,
                              [this] { return OpenConsole(); },
                              [this] { return administrator_; },
                              &echo_,
                              &world_,
                              &world_,
                              &world_.clock}) {}

  void SetUp() override { platform::SetMachineRegistry(registry_); }
  void TearDown() override { platform::SetMachineRegistry(nullptr); }

  // Takes what the tool printed so far.
  std::string TakeOutput() {
    const std::string text = out_.str();
    out_.str("");
    return text;
  }
  void TypeKeys(std::deque<std::string> keys) {
    keys_ = std::move(keys);
    has_console_ = true;
  }

  // Direct access to the store.
  std::unique_ptr<platform::RegistryKey> Key(const std::string& path) {
    std::unique_ptr<platform::RegistryKey> key;
    memory_->OpenKey(platform::RegistryRoot::kLocalMachine, path, &key);
    return key;
  }
  std::string StringValue(const std::string& path, const std::string& name) {
    auto key = Key(path);
    std::string text;
    if (!key || !platform::ReadStringValue(*key, name, 4096, &text)) return "<absent>";
    return text;
  }
  void PutString(const std::string& path, const std::string& name, const std::string& text) {
    std::unique_ptr<platform::RegistryKey> key;
    ASSERT_EQ(platform::RegistryStatus::kOk,
              memory_->CreateKey(platform::RegistryRoot::kLocalMachine, path,
                                 platform::KeyProtection::kDefault, &key));
    ASSERT_EQ(platform::RegistryStatus::kOk, platform::WriteStringValue(*key, name, text));
  }
  // Subkeys of the provider key, in enumeration order.
  std::vector<std::string> ArrayKeys() {
    std::vector<std::string> names;
    auto key = Key(kova::kProviderRootKey);
    uint32_t count = 0;
    if (!key || key->CountSubKeys(&count) != platform::RegistryStatus::kOk) return names;
    for (uint32_t i = 0; i < count; ++i) {
      std::string name;
      if (key->EnumSubKey(i, &name) == platform::RegistryStatus::kOk) names.push_back(name);
    }
    return names;
  }
  static std::string ArrayPath(const std::string& name) { return kova::kProviderRootKey + name; }

  std::unique_ptr<platform::HiddenConsoleInput> OpenConsole() {
    if (!has_console_) return nullptr;
    return std::make_unique<FakeConsoleInput>(keys_);
  }

  ScopedTestLog log_;
  std::shared_ptr<platform::Registry> memory_ = platform::CreateMemoryRegistry();
  std::shared_ptr<FailingRegistry> registry_ = std::make_shared<FailingRegistry>(memory_);
  std::ostringstream out_;
  FakeIcmpEcho echo_;
  FakeServiceWorld world_;
  bool administrator_ = true;
  bool has_console_ = false;
  std::deque<std::string> keys_;
  ScopedToolFacilities scope_;
};

class ToolSimTest : public ToolTest {
 protected:
  void SetUp() override {
    ToolTest::SetUp();
    PutString(kova::kProviderRootKey, "RestVersion", "1.1");  // as the tool's start leaves it
    sim_.Start();
  }
  void TearDown() override {
    sim_.Stop();
    ToolTest::TearDown();
  }
  utility::string_t Url() const { return utility::conversions::to_string_t(sim_.Url()); }
  std::string Token() const { return kova_sim::SimSeed::Default().users.at(0).api_token; }
  kova_sim::Fault StatusFault(const std::string& method, const std::string& path, int status,
                              const std::string& body) const {
    kova_sim::Fault fault;
    fault.kind = kova_sim::Fault::Kind::kStatus;
    fault.method = method;
    fault.path_contains = path;
    fault.status = status;
    fault.times = -1;
    fault.body = body;
    return fault;
  }

  TestArraySim sim_;
};
