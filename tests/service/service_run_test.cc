// Running the program: the choice between service and local server, the
// service's life under the dispatcher (states, events, the stop), the
// control handler's log lines, the local server's end with its last object,
// and the failures of COM and of the class object.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <future>
#include <thread>

#include "library/log/logger.h"
#include "platform/program_identity.h"
#include "platform/vss_compat.h"
#include "provider/vss/ikova_vss_provider.h"
#include "provider/service/provider_entry.h"
#include "provider/service/provider_identities.h"
#include "tests/service/service_host_fixture.h"

using testing::ElementsAre;
using testing::HasSubstr;
using testing::IsEmpty;

namespace {

std::string ProcessIdText() {
  char text[16];
  std::snprintf(text, sizeof text, "%08x", platform::CurrentProcessId());
  return text;
}

class ServiceRunTest : public ServiceHostTest {
 protected:
  // The AppID key, with "LocalService" written as |type| with |bytes|.
  void WriteAppId(uint32_t type, const std::vector<uint8_t>& bytes) {
    std::unique_ptr<platform::RegistryKey> key;
    ASSERT_EQ(platform::RegistryStatus::kOk,
              memory_->CreateKey(platform::RegistryRoot::kClassesRoot, kAppIdKey,
                                 platform::KeyProtection::kDefault, &key));
    if (type != platform::kRegNone) {
      ASSERT_EQ(platform::RegistryStatus::kOk,
                key->SetValue("LocalService", type, bytes.data(), static_cast<uint32_t>(bytes.size())));
    }
  }
  void WriteServiceAppId() {
    WriteAppId(platform::kRegSz, platform::EncodeRegistryString("KovaProvider"));
  }
  // Runs the entry on its own thread, as the process's first thread.
  std::future<int> StartEntry() {
    return std::async(std::launch::async, [this] { return RunEntry(""); });
  }
};

TEST_F(ServiceRunTest, WithoutTheAppIdKeyTheProgramEndsWithTheRegistryError) {
  EXPECT_EQ(2, RunEntry(""));
  std::unique_ptr<platform::RegistryKey> key;
  memory_->CreateKey(platform::RegistryRoot::kClassesRoot, "AppID",
                     platform::KeyProtection::kDefault, &key);
  EXPECT_EQ(2, RunEntry(""));
  EXPECT_THAT(com_.apartments, IsEmpty());
  EXPECT_THAT(dispatcher_.Reports(), IsEmpty());
}

TEST_F(ServiceRunTest, TheServiceRunsUntilStoppedReportingEachState) {
  WriteServiceAppId();
  std::future<int> entry = StartEntry();
  ASSERT_TRUE(dispatcher_.WaitForState(SERVICE_RUNNING));
  ASSERT_TRUE(com_.WaitForResumed());
  ASSERT_TRUE(dispatcher_.Control(SERVICE_CONTROL_STOP));
  ASSERT_EQ(std::future_status::ready, entry.wait_for(std::chrono::seconds(20)));
  EXPECT_EQ(0, entry.get());

  EXPECT_THAT(dispatcher_.ReportedStates(),
              ElementsAre(SERVICE_START_PENDING, SERVICE_RUNNING, SERVICE_STOP_PENDING,
                          SERVICE_STOPPED));
  const SERVICE_STATUS last = dispatcher_.Reports().back();
  EXPECT_EQ(SERVICE_WIN32_OWN_PROCESS, last.dwServiceType);
  EXPECT_EQ(SERVICE_ACCEPT_STOP, last.dwControlsAccepted);
  EXPECT_EQ(0u, last.dwWin32ExitCode);
  EXPECT_THAT(events_.Insertions(), ElementsAre("Service started/resumed", "Service stopped"));
  for (const platform::EventReport& report : events_.Reports()) {
    EXPECT_EQ(platform::kEventTypeInformation, report.type);
    EXPECT_EQ(0, report.category);
    EXPECT_EQ(0u, report.event_id);
  }
  EXPECT_THAT(events_.Sources(), ElementsAre("KovaProvider", "KovaProvider"));
  EXPECT_EQ(1u, LogCount("OnStop Service : ProcessID=" + ProcessIdText()));
  EXPECT_THAT(com_.apartments, ElementsAre(true));
  EXPECT_EQ(1, com_.uninitialized);
  EXPECT_EQ(1, com_.security_calls);
  EXPECT_EQ(1u, com_.registered.size());
  EXPECT_TRUE(com_.registered[0] == CLSID_KovaVssProvider);
  EXPECT_EQ(1, com_.revoked);
  EXPECT_TRUE(console_.str().empty());
}

TEST_F(ServiceRunTest, InServiceModeTheLastReleaseLeavesTheServiceRunning) {
  WriteServiceAppId();
  std::future<int> entry = StartEntry();
  ASSERT_TRUE(com_.WaitForResumed());
  void* object = nullptr;
  ASSERT_EQ(S_OK, com_.CreateInstance(IID_IVssProviderNotifications, &object));
  auto* provider = static_cast<IVssProviderNotifications*>(object);
  EXPECT_EQ(S_OK, provider->OnLoad(nullptr));
  provider->Release();
  EXPECT_EQ(std::future_status::timeout, entry.wait_for(std::chrono::milliseconds(300)));
  EXPECT_EQ(0u, com_.server_count);  // the service's objects do not count for COM
  dispatcher_.Control(SERVICE_CONTROL_STOP);
  EXPECT_EQ(0, entry.get());
}

TEST_F(ServiceRunTest, AHandlerThatCannotBeInstalledIsReportedAndTheServiceEnds) {
  WriteServiceAppId();
  dispatcher_.refuse_handler = true;
  EXPECT_EQ(0, RunEntry(""));
  EXPECT_THAT(events_.Insertions(), ElementsAre("Handler not installed"));
  EXPECT_THAT(dispatcher_.Reports(), IsEmpty());
  EXPECT_THAT(com_.apartments, IsEmpty());
}

TEST_F(ServiceRunTest, AFailedCOMInitialisationEndsTheServiceWithIt) {
  WriteServiceAppId();
  com_.apartment_result = static_cast<HRESULT>(0x8007000E);
  EXPECT_EQ(static_cast<HRESULT>(0x8007000E), RunEntry(""));
  EXPECT_THAT(dispatcher_.ReportedStates(), ElementsAre(SERVICE_START_PENDING, SERVICE_STOPPED));
  EXPECT_EQ(0x8007000Eu, dispatcher_.Reports().back().dwWin32ExitCode);
  EXPECT_THAT(events_.Insertions(), ElementsAre("Service stopped"));
  EXPECT_THAT(com_.registered, IsEmpty());
  EXPECT_EQ(0, com_.uninitialized);
}

TEST_F(ServiceRunTest, ASecurityFailureEndsRunBeforeTheClassObjectIsRegistered) {
  WriteServiceAppId();
  com_.security_result = static_cast<HRESULT>(0x80070005);
  EXPECT_EQ(static_cast<HRESULT>(0x80070005), RunEntry(""));
  EXPECT_THAT(com_.registered, IsEmpty());
  EXPECT_THAT(dispatcher_.ReportedStates(), ElementsAre(SERVICE_START_PENDING, SERVICE_STOPPED));
}

class LocalServiceValueTest
    : public ServiceRunTest,
      public testing::WithParamInterface<std::pair<uint32_t, std::vector<uint8_t>>> {};

// Anything but a terminated string of at most 260 characters runs the
// program as a plain local server (here: a class object COM refuses).
TEST_P(LocalServiceValueTest, IsNoServiceName) {
  WriteAppId(GetParam().first, GetParam().second);
  com_.register_result = static_cast<HRESULT>(0x80004005);
  EXPECT_EQ(static_cast<HRESULT>(0x80004005), RunEntry(""));
  EXPECT_THAT(dispatcher_.Reports(), IsEmpty());
  EXPECT_THAT(com_.apartments, ElementsAre(true));
  EXPECT_EQ(1, com_.uninitialized);  // the entry balances COM outside service mode
  EXPECT_EQ(0, com_.security_calls);
}

INSTANTIATE_TEST_SUITE_P(
    Values, LocalServiceValueTest,
    testing::Values(std::make_pair(platform::kRegNone, std::vector<uint8_t>{}),
                    std::make_pair(platform::kRegDword, std::vector<uint8_t>{1, 0, 0, 0}),
                    std::make_pair(platform::kRegSz, std::vector<uint8_t>{'K', 0, 'o', 0}),
                    std::make_pair(platform::kRegSz,
                                   platform::EncodeRegistryString(std::string(261, 'k')))));

TEST_F(ServiceRunTest, AnExpandableStringNamesTheServiceToo) {
  WriteAppId(platform::kRegExpandSz, platform::EncodeRegistryString(std::string(260, 'k')));
  dispatcher_.dispatch_error = 1063;
  EXPECT_EQ(1063, RunEntry(""));
}

TEST_F(ServiceRunTest, TheOtherControlsAreLoggedWithTheProcessIdentifier) {
  OpenLog();
  auto module = MakeModule();
  module->Handler(SERVICE_CONTROL_PAUSE);
  module->Handler(SERVICE_CONTROL_CONTINUE);
  module->Handler(SERVICE_CONTROL_SHUTDOWN);
  module->Handler(200);
  Logger::Close();
  log_open_ = false;
  const std::string pid = ProcessIdText();
  EXPECT_THAT(LogMessages("Kova.KovaProvider"),
              ElementsAre("OnPause Service : ProcessID=" + pid,
                          "OnContinue Service : ProcessID=" + pid,
                          "OnShutdown Service : ProcessID=" + pid));
  EXPECT_THAT(events_.Insertions(), ElementsAre("Bad service request"));
}

class InterrogateTest : public ServiceRunTest,
                        public testing::WithParamInterface<std::pair<int, size_t>> {};

// 1: a DWORD of 1; 2: a DWORD of 2; 3: the text "1"; 0: absent.
TEST_P(InterrogateTest, WritesOneLineOnlyForTheDwordOne) {
  if (GetParam().first == 1) SetProviderDword("LogInterrogate", 1);
  if (GetParam().first == 2) SetProviderDword("LogInterrogate", 2);
  if (GetParam().first == 3) SetProviderString("LogInterrogate", "1");
  OpenLog();
  auto module = MakeModule();
  HRESULT code = S_OK;
  ASSERT_TRUE(module->ParseCommandLine("", &code));
  module->Handler(SERVICE_CONTROL_INTERROGATE);
  EXPECT_EQ(GetParam().second, LogCount("OnInterrogate Service : ProcessID=" + ProcessIdText()));
}

INSTANTIATE_TEST_SUITE_P(Settings, InterrogateTest,
                         testing::Values(std::make_pair(1, size_t{1}), std::make_pair(2, size_t{0}),
                                         std::make_pair(3, size_t{0}),
                                         std::make_pair(0, size_t{0})));

class LocalServerTest : public ServiceRunTest {
 protected:
  void SetUp() override {
    WriteAppId(platform::kRegNone, {});
    module_ = MakeModule();
    module_->SetShutdownPause(10);
    run_ = std::async(std::launch::async, [this] { return module_->Start(); });
    ASSERT_TRUE(com_.WaitForResumed());
  }
  void TearDown() override {
    if (run_.valid() && run_.wait_for(std::chrono::seconds(0)) != std::future_status::ready) {
      com_.LockServer(true);
      com_.LockServer(false);
      run_.wait();
    }
  }
  std::unique_ptr<kova_service::CKovaProviderModule> module_;
  std::future<HRESULT> run_;
};

TEST_F(LocalServerTest, EndsWhenItsLastObjectIsReleased) {
  void* object = nullptr;
  ASSERT_EQ(S_OK, com_.CreateInstance(IID_IKovaVssProvider, &object));
  EXPECT_EQ(1, module_->LockCount());
  EXPECT_EQ(1u, com_.server_count);
  EXPECT_EQ(std::future_status::timeout, run_.wait_for(std::chrono::milliseconds(200)));
  static_cast<IKovaVssProvider*>(object)->Release();
  ASSERT_EQ(std::future_status::ready, run_.wait_for(std::chrono::seconds(20)));
  EXPECT_EQ(S_OK, run_.get());
  EXPECT_EQ(0, module_->LockCount());
  EXPECT_EQ(1, com_.revoked);
  EXPECT_TRUE(module_->ComInitialized());
  EXPECT_FALSE(module_->ServiceMode());
  EXPECT_THAT(dispatcher_.Reports(), IsEmpty());
  EXPECT_EQ(0, com_.security_calls);
}

TEST_F(LocalServerTest, AServerLockKeepsItRunningUntilUnlocked) {
  com_.LockServer(true);
  EXPECT_EQ(std::future_status::timeout, run_.wait_for(std::chrono::milliseconds(200)));
  com_.LockServer(false);
  ASSERT_EQ(std::future_status::ready, run_.wait_for(std::chrono::seconds(20)));
  EXPECT_EQ(S_OK, run_.get());
}

TEST_F(ServiceRunTest, AResumeFailureRevokesTheClassObjectAndEndsTheRun) {
  WriteAppId(platform::kRegNone, {});
  com_.resume_result = static_cast<HRESULT>(0x8000FFFF);
  EXPECT_EQ(static_cast<HRESULT>(0x8000FFFF), RunEntry(""));
  EXPECT_EQ(1, com_.revoked);
}

TEST_F(ServiceRunTest, AChangedModeIsToleratedOnlyWhileDotNetIsLoaded) {
  WriteAppId(platform::kRegNone, {});
  com_.apartment_result = RPC_E_CHANGED_MODE;
  com_.register_result = static_cast<HRESULT>(0x80004005);
  EXPECT_EQ(RPC_E_CHANGED_MODE, RunEntry(""));
  EXPECT_THAT(com_.registered, IsEmpty());
  com_.dot_net_loaded = true;
  EXPECT_EQ(static_cast<HRESULT>(0x80004005), RunEntry(""));
  EXPECT_EQ(0, com_.uninitialized);  // never initialised, never balanced
}

#ifndef _WIN32
TEST_F(ServiceRunTest, OnLinuxTheClassObjectServerIsReportedAsNotAvailable) {
  WriteAppId(platform::kRegNone, {});
  kova_service::ServiceHostFacilities facilities = Facilities();
  facilities.com = &platform::SystemComRuntime();
  const int code = kova_service::RunKovaProvider("", facilities, "KovaProvider");
  EXPECT_EQ(platform::kComServerNotAvailable, code);
  EXPECT_THAT(console_.str(), HasSubstr("cannot be served to other processes on this platform"));
  EXPECT_EQ(1u, LogCount("COM class objects cannot be served on this platform (80070032)"));
}
#endif

TEST_F(ServiceRunTest, AServiceNameThatCannotBeLoadedEndsTheProgramWithMinusOne) {
  EXPECT_EQ(-1, kova_service::RunKovaProvider("/Service", Facilities(), ""));
  EXPECT_EQ(-1, kova_service::RunKovaProvider("/Service", Facilities(), std::string(256, 'n')));
  EXPECT_THAT(services_.calls, IsEmpty());
  EXPECT_EQ(2u, LogCount("( LOG SESSION ENDED )"));
}

}  // namespace
