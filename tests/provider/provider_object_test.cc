// The provider object itself: its interfaces and reference count, what it
// reads at construction, load and unload, and use from several threads.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "library/log/event_catalogue.h"
#include "library/registry_layout.h"
#include "provider/vss/kova_vss_provider_factory.h"
#include "tests/provider/provider_fixture.h"

using testing::Contains;
using testing::ElementsAre;
using testing::HasSubstr;
using testing::IsEmpty;

namespace {

class ProviderObjectTest : public ProviderTest {};

TEST_F(ProviderObjectTest, EveryInterfaceLeadsToTheSameObjectAndCountsReferences) {
  void* first = nullptr;
  ASSERT_EQ(S_OK, CreateKovaVssProviderInstance(IID_IVssHardwareSnapshotProviderEx, &first));
  auto* ex = static_cast<IVssHardwareSnapshotProviderEx*>(first);
  auto* object = static_cast<CKovaVssProvider*>(ex);

  const IID* iids[] = {&IID_IUnknown,
                       &IID_IKovaVssProvider,
                       &IID_IVssProviderCreateSnapshotSet,
                       &IID_IVssHardwareSnapshotProvider,
                       &IID_IVssProviderNotifications,
                       &IID_IVssHardwareSnapshotProviderEx};
  void* answers[6] = {};
  for (int i = 0; i < 6; ++i) ASSERT_EQ(S_OK, ex->QueryInterface(*iids[i], &answers[i])) << i;
  EXPECT_EQ(answers[0], static_cast<IKovaVssProvider*>(object));
  EXPECT_EQ(answers[1], static_cast<IKovaVssProvider*>(object));
  EXPECT_EQ(answers[2], static_cast<IVssProviderCreateSnapshotSet*>(object));
  EXPECT_EQ(answers[3], static_cast<IVssHardwareSnapshotProvider*>(ex));
  EXPECT_EQ(answers[4], static_cast<IVssProviderNotifications*>(object));
  EXPECT_EQ(answers[5], static_cast<IVssHardwareSnapshotProviderEx*>(object));

  // One reference from the factory and one per answer.
  EXPECT_EQ(8u, object->AddRef());
  EXPECT_EQ(7u, object->Release());

  void* none = reinterpret_cast<void*>(1);
  EXPECT_EQ(E_NOINTERFACE, ex->QueryInterface(TestGuid(7), &none));
  EXPECT_EQ(nullptr, none);
  EXPECT_EQ(E_POINTER, ex->QueryInterface(IID_IUnknown, nullptr));

  for (int i = 0; i < 6; ++i) EXPECT_EQ(static_cast<ULONG>(6 - i), object->Release());
  EXPECT_EQ(0u, LogCount("ENTERING: CKovaVssProvider::~CKovaVssProvider()"));
  EXPECT_EQ(0u, ex->Release());
  EXPECT_EQ(1u, LogCount("EXITING: CKovaVssProvider::~CKovaVssProvider()"));
}

TEST_F(ProviderObjectTest, TheFactoryRefusesUnknownInterfacesAndNullOutputs) {
  void* object = reinterpret_cast<void*>(1);
  EXPECT_EQ(E_NOINTERFACE, CreateKovaVssProviderInstance(TestGuid(3), &object));
  EXPECT_EQ(nullptr, object);
  // The object made for the refused request is gone again.
  EXPECT_EQ(1u, LogCount("EXITING: CKovaVssProvider::~CKovaVssProvider()"));
  EXPECT_EQ(E_POINTER, CreateKovaVssProviderInstance(IID_IUnknown, nullptr));
}

TEST_F(ProviderObjectTest, ConstructionOpensASessionWithEachConfiguredArray) {
  {
    ProviderRef provider;
    EXPECT_THAT(RequestLines(), ElementsAre("GET /api/api_version", "POST /api/1.1/auth/session",
                                            "GET /api/1.1/array"));
    EXPECT_EQ(1u, sim_.SessionCount());
  }
  EXPECT_EQ("DELETE /api/1.1/auth/session", RequestLines().back());
  EXPECT_EQ(0u, sim_.SessionCount());
  const std::vector<std::string> messages = Messages();
  EXPECT_THAT(messages, Contains("ENTERING: CKovaVssProvider::CKovaVssProvider()"));
  EXPECT_THAT(messages, Contains("ENTERING: CKovaVssProvider::DiscoverLumenstacks()"));
  EXPECT_THAT(messages, Contains("EXITING: CKovaVssProvider::DiscoverLumenstacks()"));
  EXPECT_THAT(messages, Contains("EXITING: CKovaVssProvider::CKovaVssProvider"));
  // The token never reaches the log in clear.
  EXPECT_THAT(log_.Contents(), testing::Not(HasSubstr(Token())));
}

TEST_F(ProviderObjectTest, AnArrayThatCannotBeInitialisedIsReportedAndLeftOut) {
  ConfigureArray("array0-unreachable", "https://127.0.0.1:1", Token());
  ProviderRef provider;
  EXPECT_THAT(events_.Insertions(kEventArrayUnreachable),
              ElementsAre("Array name:array0-unreachable"));
  EXPECT_EQ(1u, LogCount("Failed to Initialize array (array0-unreachable)"));

  // The reachable array still serves lookups.
  LunRecordArray luns;
  AddLun(luns, SerialOf("db01"), "db01");
  BOOL supported = FALSE;
  EXPECT_EQ(S_OK, provider->AreLunsSupported(1, 0, luns.devices(), luns.data(), &supported));
  EXPECT_TRUE(supported);
}

TEST_F(ProviderObjectTest, WithoutConfiguredArraysEveryLunIsUnsupported) {
  ASSERT_EQ(platform::RegistryStatus::kOk,
            registry_->DeleteTree(platform::RegistryRoot::kLocalMachine,
                                  std::string(kova::kProviderRootKey) + "array1"));
  ProviderRef provider;
  EXPECT_THAT(RequestLines(), IsEmpty());
  LunRecordArray luns;
  AddLun(luns, SerialOf("db01"), "db01");
  BOOL supported = TRUE;
  EXPECT_EQ(S_OK, provider->AreLunsSupported(1, 0, luns.devices(), luns.data(), &supported));
  EXPECT_FALSE(supported);
  EXPECT_EQ(1u, LogCount("could not be located in a configured KOVA array.HR=80004005"));
}

TEST_F(ProviderObjectTest, OnLoadIsRefusedWhileASetIsInProgressAndOnUnloadResets) {
  ProviderRef provider;
  EXPECT_EQ(S_OK, provider->OnLoad(nullptr));
  LunRecordArray luns;
  AddLun(luns, SerialOf("db01"), "db01");
  ASSERT_EQ(S_OK, provider->BeginPrepareSnapshot(TestGuid(1), TestGuid(2), 0, 1, luns.devices(),
                                                 luns.data()));
  EXPECT_EQ(VSS_E_PROVIDER_VETO, provider->OnLoad(nullptr));
  EXPECT_EQ(1u, LogCount("CKovaVssProvider::OnLoad() called with unexpected state=1"));
  EXPECT_EQ(S_OK, provider->OnUnload(FALSE));
  EXPECT_EQ(VSS_SS_UNKNOWN, provider->CurrentState());
  EXPECT_TRUE(provider->PendingSnapshots().empty());
  EXPECT_EQ(S_OK, provider->OnLoad(nullptr));
  EXPECT_EQ(1u, LogCount("ENTERING: CKovaVssProvider::OnUnload - bForceUnload = no"));
  EXPECT_EQ(2u, LogCount("EXITING: CKovaVssProvider::OnLoad (Return code=(0))"));
  EXPECT_EQ(1u, LogCount("EXITING: CKovaVssProvider::OnLoad (Return code=(80042306))"));
}

TEST_F(ProviderObjectTest, UnloadDeletesTheSnapshotsOfAnUnfinishedSetButNotOfACreatedOne) {
  ProviderRef provider;
  LunRecordArray luns;
  AddLun(luns, SerialOf("db01"), "db01");
  PrepareSet(provider.get(), TestGuid(1), luns);
  ASSERT_EQ(S_OK, provider->CommitSnapshots(TestGuid(1)));
  ASSERT_EQ(1u, SnapshotNames().size());
  EXPECT_EQ(S_OK, provider->OnUnload(TRUE));
  EXPECT_THAT(SnapshotNames(), IsEmpty());

  CreateSet(provider.get(), TestGuid(2), luns);
  EXPECT_EQ(S_OK, provider->OnUnload(FALSE));
  EXPECT_EQ(1u, SnapshotNames().size());
  EXPECT_EQ(VSS_SS_UNKNOWN, provider->CurrentState());
}

TEST_F(ProviderObjectTest, ReleasingTheObjectMidSetDeletesItsSnapshots) {
  LunRecordArray luns;
  AddLun(luns, SerialOf("db01"), "db01");
  {
    ProviderRef provider;
    PrepareSet(provider.get(), TestGuid(1), luns);
    ASSERT_EQ(S_OK, provider->CommitSnapshots(TestGuid(1)));
    ASSERT_EQ(1u, SnapshotNames().size());
  }
  EXPECT_THAT(SnapshotNames(), IsEmpty());
  EXPECT_EQ(1u, LogCount("ENTERING: CKovaVssProvider::OnUnload - bForceUnload = yes"));
}

TEST_F(ProviderObjectTest, GetProviderCapabilitiesIsNotImplementedInAnyState) {
  ProviderRef provider;
  ULONGLONG mask = 0;
  EXPECT_EQ(E_NOTIMPL, provider->GetProviderCapabilities(&mask));
  LunRecordArray luns;
  AddLun(luns, SerialOf("db01"), "db01");
  CreateSet(provider.get(), TestGuid(1), luns);
  EXPECT_EQ(E_NOTIMPL, provider->GetProviderCapabilities(nullptr));
  EXPECT_EQ(2u, LogCount("Unsupported VSS API(GetProviderCapabilities()) got called."));
}

TEST_F(ProviderObjectTest, SeveralThreadsShareOneObjectSafely) {
  ProviderRef provider;
  LunRecordArray luns;
  AddLun(luns, SerialOf("db01"), "db01");
  AddLun(luns, SerialOf("db02"), "db02");
  std::atomic<int> failures{0};
  auto ask = [&] {
    platform::ScopedCallerIdentity administrator(0);
    LunRecordArray mine;
    AddLun(mine, SerialOf("logs01"));
    for (int i = 0; i < 4; ++i) {
      BOOL supported = FALSE;
      if (provider->AreLunsSupported(1, 0, mine.devices(), mine.data(), &supported) != S_OK ||
          !supported) {
        ++failures;
      }
      if (provider->FillInLunInfo(nullptr, &mine[0], &supported) != S_OK) ++failures;
    }
  };
  std::thread first(ask);
  std::thread second(ask);
  std::thread set([&] {
    platform::ScopedCallerIdentity administrator(0);
    CreateSet(provider.get(), TestGuid(5), luns);
    if (provider->PostFinalCommitSnapshots(TestGuid(5)) != S_OK) ++failures;
  });
  first.join();
  second.join();
  set.join();
  EXPECT_EQ(0, failures.load());
  EXPECT_EQ(VSS_SS_CREATED, provider->CurrentState());
  EXPECT_EQ(2u, SnapshotNames().size());
}

}  // namespace
