// The service host against fakes of the machine: an in-memory registry
// (which can be made to fail), a fake service manager and dispatcher, COM
// that records what it is asked, recorded message boxes and events, the
// registry-backed VSS coordinator, and the provider's log in a temporary
// folder.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "platform/memory_registry.h"
#include "platform/registry.h"
#include "provider/service/kova_provider_module.h"
#include "provider/service/service_host_facilities.h"
#include "tests/service/registry_snapshot.h"
#include "tests/service/service_host_fakes.h"
#include "tests/support/recording_event_log.h"
#include "tests/support/failing_registry.h"
#include "tests/support/temp_dir.h"
#include "tests/support/test_environment.h"

inline constexpr char kClsidKey[] = "CLSID\\{484E0F8A-B54C-45C6-ACAF-BE682A421F25}";
inline constexpr char kAppIdKey[] = "AppID\\{63F0BFC9-5C8A-4CC1-BBD9-B51EEC70FC8F}";
inline constexpr char kEventSourcePath[] =
    "SYSTEM\\CurrentControlSet\\Services\\EventLog\\Application\\KovaProvider";
inline constexpr char kVssProviderPath[] =
    "SYSTEM\\CurrentControlSet\\Services\\VSS\\Providers\\{781C006A-5829-4A25-81E3-D5E43BD005AB}";

class ServiceHostTest : public testing::Test {
 protected:
  ServiceHostTest();
  ~ServiceHostTest() override;

  kova_service::ServiceHostFacilities Facilities();
  std::unique_ptr<kova_service::CKovaProviderModule> MakeModule();
  // The program's entry with |command_line| (its whole log session).
  int RunEntry(const std::string& command_line);
  // Opens the provider's log at LOG_TRACE for tests that skip the entry.
  void OpenLog();

  // The message part (after the tag) of each line logged under |tag|.
  std::vector<std::string> LogMessages(const std::string& tag) const;
  size_t LogCount(const std::string& text) const;

  RegistryTree Classes(const std::string& path) const;
  RegistryTree Machine(const std::string& path) const;
  void SetProviderDword(const std::string& name, uint32_t value);
  void SetProviderString(const std::string& name, const std::string& value);
  // The whole class tree, AppID, type library, event source and VSS record
  // as registration leaves them.
  RegistryTree ExpectedClassTree() const;
  RegistryTree ExpectedEventSource() const;
  RegistryTree ExpectedVssRecord() const;
  // Asserts that everything /Service writes is there, exactly.
  void ExpectRegistered() const;

  TempDir profile_;
  ScopedTestEnv profile_variable_{"ALLUSERSPROFILE", profile_.str()};
  std::shared_ptr<platform::Registry> memory_ = platform::CreateMemoryRegistry();
  std::shared_ptr<FailingRegistry> registry_ = std::make_shared<FailingRegistry>(memory_);
  FakeServiceInstaller services_;
  FakeServiceDispatcher dispatcher_;
  FakeComRuntime com_;
  RecordingMessageBoxes boxes_;
  RecordingEventLog events_;
  std::ostringstream console_;
  platform::VssCoordinator* vss_;
  std::string program_path_ = "/opt/kova/bin/KovaProvider";
  bool log_open_ = false;
};
