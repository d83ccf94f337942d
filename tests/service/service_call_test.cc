// Provider calls through the service's class object against the array
// emulator: a caller who is no administrator is refused, a stop that
// arrives while a call is on the wire waits for it, and later calls are
// refused.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <thread>

#include "library/log/event_catalogue.h"
#include "library/rest/kova_array.h"
#include "platform/caller_identity.h"
#include "platform/vss_provider_store.h"
#include "provider/service/kova_provider_module.h"
#include "tests/provider/provider_fixture.h"
#include "tests/service/service_host_fakes.h"
#include "tests/support/recording_event_log.h"

using testing::Contains;
using testing::ElementsAre;
using testing::Not;

namespace {

class ServiceCallTest : public ProviderTest {
 protected:
  void SetUp() override {
    ProviderTest::SetUp();
    std::unique_ptr<platform::RegistryKey> key;
    ASSERT_EQ(platform::RegistryStatus::kOk,
              registry_->CreateKey(platform::RegistryRoot::kClassesRoot,
                                   "AppID\\{63F0BFC9-5C8A-4CC1-BBD9-B51EEC70FC8F}",
                                   platform::KeyProtection::kDefault, &key));
    ASSERT_EQ(platform::RegistryStatus::kOk,
              platform::WriteStringValue(*key, "LocalService", "KovaProvider"));
    module_ = std::make_unique<kova_service::CKovaProviderModule>(Facilities(), "KovaProvider");
    run_ = std::async(std::launch::async, [this] { return module_->Start(); });
    ASSERT_TRUE(com_.WaitForResumed());
  }
  void TearDown() override {
    if (run_.valid()) {
      dispatcher_.Control(SERVICE_CONTROL_STOP);
      run_.wait();
    }
    ProviderTest::TearDown();
  }
  kova_service::ServiceHostFacilities Facilities() {
    return FakeFacilities({&services_, &dispatcher_, &com_, &boxes_, &service_events_, &console_,
                           &platform::RegistryVssCoordinator()},
                          "/opt/kova/bin/KovaProvider");
  }
  // A client's object of the service with a set of db01 precommitted.
  void PrepareServedSet(const GUID& set_id, IVssHardwareSnapshotProviderEx** hardware,
                        IVssProviderCreateSnapshotSet** set, LunRecordArray* luns) {
    void* object = nullptr;
    ASSERT_EQ(S_OK, com_.CreateInstance(IID_IVssHardwareSnapshotProviderEx, &object));
    *hardware = static_cast<IVssHardwareSnapshotProviderEx*>(object);
    ASSERT_EQ(S_OK, (*hardware)->QueryInterface(IID_IVssProviderCreateSnapshotSet,
                                                reinterpret_cast<void**>(set)));
    AddLun(*luns, SerialOf("db01"), "db01");
    ASSERT_EQ(S_OK, (*hardware)->BeginPrepareSnapshot(set_id, TestGuid(99), 0, luns->count(),
                                                      luns->devices(), luns->data()));
    ASSERT_EQ(S_OK, (*set)->EndPrepareSnapshots(set_id));
    ASSERT_EQ(S_OK, (*set)->PreCommitSnapshots(set_id));
  }
  bool WaitForRequest(const std::string& line) {
    for (int i = 0; i < 1000; ++i) {
      for (const std::string& request : RequestLines()) {
        if (request == line) return true;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
  }

  FakeServiceInstaller services_;
  FakeServiceDispatcher dispatcher_;
  FakeComRuntime com_;
  RecordingMessageBoxes boxes_;
  RecordingEventLog service_events_;
  std::ostringstream console_;
  std::unique_ptr<kova_service::CKovaProviderModule> module_;
  std::future<HRESULT> run_;
};

TEST_F(ServiceCallTest, AClientWhoIsNoAdministratorIsRefusedWithTheAuthorizationEvent) {
  IVssHardwareSnapshotProviderEx* hardware = nullptr;
  IVssProviderCreateSnapshotSet* set = nullptr;
  LunRecordArray luns;
  const GUID set_id = TestGuid(7);
  ASSERT_NO_FATAL_FAILURE(PrepareServedSet(set_id, &hardware, &set, &luns));
  const size_t requests_before = RequestLines().size();
  {
    platform::ScopedCallerIdentity user(1000);
    BOOL supported = TRUE;
    EXPECT_EQ(VSS_E_PROVIDER_VETO,
              hardware->AreLunsSupported(luns.count(), 0, luns.devices(), luns.data(), &supported));
    EXPECT_FALSE(supported);
    EXPECT_EQ(VSS_E_PROVIDER_VETO, set->CommitSnapshots(set_id));
    EXPECT_EQ(VSS_E_PROVIDER_VETO, hardware->LocateLuns(luns.count(), luns.data()));
  }
  EXPECT_EQ(requests_before, RequestLines().size());
  EXPECT_THAT(events_.Insertions(kEventCallerNotAdministrator), ElementsAre("", "", ""));
  for (const platform::EventReport& report : events_.Reports()) {
    if (report.event_id != kEventCallerNotAdministrator) continue;
    EXPECT_EQ(kEventTypeError, report.type);
    EXPECT_EQ(kCategoryUserError, report.category);
  }
  EXPECT_EQ(1u, LogCount("EXITING : CKovaVssProvider::CommitSnapshots(80042306). Authorization failure"));
  // The refusals left the set as it was: its administrator commits it.
  EXPECT_EQ(S_OK, set->CommitSnapshots(set_id));
  EXPECT_THAT(SnapshotNames(), Contains("db01." + KovaArray::MakeSnapshotSuffix(set_id)));
  set->Release();
  hardware->Release();
}

TEST_F(ServiceCallTest, AStopDuringACallLetsTheCallFinishBeforeTheServiceReportsStopped) {
  IVssHardwareSnapshotProviderEx* hardware = nullptr;
  IVssProviderCreateSnapshotSet* set = nullptr;
  LunRecordArray luns;
  const GUID set_id = TestGuid(5);
  ASSERT_NO_FATAL_FAILURE(PrepareServedSet(set_id, &hardware, &set, &luns));

  kova_sim::Fault slow;
  slow.kind = kova_sim::Fault::Kind::kDelay;
  slow.method = "POST";
  slow.path_contains = "/volume";
  slow.delay_ms = 3000;
  sim_.InjectFault(slow);
  std::future<HRESULT> commit = std::async(std::launch::async, [&] {
    platform::ScopedCallerIdentity administrator(0);
    return set->CommitSnapshots(set_id);
  });
  ASSERT_TRUE(WaitForRequest("POST /api/1.1/volume"));
  ASSERT_TRUE(dispatcher_.Control(SERVICE_CONTROL_STOP));
  ASSERT_TRUE(dispatcher_.WaitForState(SERVICE_STOP_PENDING));

  // The loop has ended; the stop waits while the snapshot request is on
  // the wire.
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  ASSERT_EQ(std::future_status::timeout, commit.wait_for(std::chrono::seconds(0)));
  EXPECT_THAT(dispatcher_.ReportedStates(), Not(Contains(SERVICE_STOPPED)));
  EXPECT_EQ(S_OK, commit.get());
  ASSERT_EQ(S_OK, run_.get());
  EXPECT_EQ(SERVICE_STOPPED, dispatcher_.ReportedStates().back());
  EXPECT_THAT(SnapshotNames(), Contains("db01." + KovaArray::MakeSnapshotSuffix(set_id)));

  // The gate stays closed: nothing reaches the provider any more.
  EXPECT_EQ(VSS_E_PROVIDER_VETO, set->PostCommitSnapshots(set_id, 1));
  set->Release();
  hardware->Release();
  EXPECT_EQ(0, module_->LockCount());
}

}  // namespace
