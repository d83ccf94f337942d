// Provider objects used from several threads at once, as COM's worker
// threads use them: eight threads each with an object of its own making
// whole snapshot sets, and three threads sharing one object. Run also under
// ThreadSanitizer.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "library/log/event_catalogue.h"
#include "library/rest/kova_array.h"
#include "platform/caller_identity.h"
#include "tests/provider/provider_fixture.h"
#include "tests/support/wide_text.h"

using testing::Each;
using testing::Eq;
using testing::IsEmpty;
using testing::UnorderedElementsAreArray;

namespace {

constexpr int kThreads = 8;

kova_sim::SimSeed EightVolumes() {
  kova_sim::SimSeed seed = kova_sim::SimSeed::Default();
  seed.volumes.clear();
  for (int i = 0; i < kThreads; ++i) seed.volumes.push_back({"vol" + std::to_string(i), 1 << 30, ""});
  return seed;
}

class ProviderConcurrencyTest : public ProviderTest {
 protected:
  ProviderConcurrencyTest() : ProviderTest(EightVolumes()) {}

  std::vector<std::string> VolumeSerials() const {
    std::vector<std::string> serials;
    for (int i = 0; i < kThreads; ++i) serials.push_back(SerialOf("vol" + std::to_string(i)));
    return serials;
  }
  // Runs |work| (thread index) on kThreads threads, each an administrator
  // with a provider object and the LUN of its own volume, and joins them.
  void OnEightThreads(const std::function<void(int, CKovaVssProvider*, LunRecordArray&)>& work) {
    const std::vector<std::string> serials = VolumeSerials();
    std::vector<std::thread> threads;
    for (int i = 0; i < kThreads; ++i) {
      threads.emplace_back([&, i] {
        platform::ScopedCallerIdentity administrator(0);
        ProviderRef provider;
        LunRecordArray luns;
        AddLun(luns, serials[i], "vol" + std::to_string(i));
        work(i, provider.get(), luns);
      });
    }
    for (std::thread& thread : threads) thread.join();
  }

  // One set's whole life on |provider| for the volume |name|: prepare,
  // commit, the late calls, and an abort that is ignored for a created set.
  static std::vector<HRESULT> CreateSet(CKovaVssProvider* provider, const GUID& set_id,
                                        LunRecordArray& luns) {
    std::vector<HRESULT> results;
    results.push_back(provider->BeginPrepareSnapshot(set_id, TestGuid(200), 0, luns.count(),
                                                     luns.devices(), luns.data()));
    results.push_back(provider->EndPrepareSnapshots(set_id));
    results.push_back(provider->PreCommitSnapshots(set_id));
    results.push_back(provider->CommitSnapshots(set_id));
    results.push_back(provider->PostCommitSnapshots(set_id, luns.count()));
    results.push_back(provider->PreFinalCommitSnapshots(set_id));
    results.push_back(provider->PostFinalCommitSnapshots(set_id));
    results.push_back(provider->AbortSnapshots(set_id));
    return results;
  }
};

TEST_F(ProviderConcurrencyTest, EightThreadsWithAnObjectEachCreateTheirSetsSideBySide) {
  std::vector<std::vector<HRESULT>> results(kThreads);
  std::vector<VSS_SNAPSHOT_STATE> states(kThreads);
  OnEightThreads([&](int i, CKovaVssProvider* provider, LunRecordArray& luns) {
    results[i] = CreateSet(provider, TestGuid(static_cast<uint8_t>(10 + i)), luns);
    states[i] = provider->CurrentState();
  });

  std::vector<std::string> expected;
  for (int i = 0; i < kThreads; ++i) {
    EXPECT_THAT(results[i], Each(Eq(S_OK))) << "thread " << i;
    EXPECT_EQ(VSS_SS_CREATED, states[i]);
    expected.push_back("vol" + std::to_string(i) + "." +
                       Narrow(KovaArray::MakeSnapshotSuffix(TestGuid(static_cast<uint8_t>(10 + i)))));
  }
  EXPECT_THAT(SnapshotNames(), UnorderedElementsAreArray(expected));
  EXPECT_EQ(static_cast<size_t>(kThreads), events_.Insertions(kEventSnapshotCreated).size());
}

TEST_F(ProviderConcurrencyTest, EightThreadsWhoseCommitsFailLeaveNoSnapshotBehind) {
  kova_sim::Fault refused;
  refused.method = "POST";
  refused.path_contains = "/volume";
  refused.status = 500;
  refused.skip = kThreads / 2;  // half the commits succeed and are then aborted
  refused.times = -1;
  std::vector<HRESULT> commits(kThreads);
  sim_.InjectFault(refused);
  OnEightThreads([&](int i, CKovaVssProvider* provider, LunRecordArray& luns) {
    const GUID set_id = TestGuid(static_cast<uint8_t>(30 + i));
    provider->BeginPrepareSnapshot(set_id, TestGuid(201), 0, luns.count(), luns.devices(),
                                   luns.data());
    provider->EndPrepareSnapshots(set_id);
    provider->PreCommitSnapshots(set_id);
    commits[i] = provider->CommitSnapshots(set_id);
    if (commits[i] == S_OK) provider->AbortSnapshots(set_id);
  });
  EXPECT_EQ(kThreads / 2, std::count(commits.begin(), commits.end(), S_OK));
  EXPECT_EQ(kThreads / 2, std::count(commits.begin(), commits.end(), VSS_E_PROVIDER_VETO));
  EXPECT_THAT(SnapshotNames(), IsEmpty());
}

TEST_F(ProviderConcurrencyTest, ThreeThreadsOnOneObjectAreServedOneCallAtATime) {
  ProviderRef provider;
  LunRecordArray set_luns, query_luns, info_lun;
  for (int i = 0; i < 3; ++i) {
    const std::string name = "vol" + std::to_string(i);
    AddLun(set_luns, SerialOf(name), name);
    AddLun(query_luns, SerialOf(name), name);
  }
  AddLun(info_lun, SerialOf("vol5"), "vol5");
  constexpr int kRounds = 20;
  std::atomic<int> failures{0};
  std::thread asking([&] {
    platform::ScopedCallerIdentity administrator(0);
    for (int i = 0; i < kRounds; ++i) {
      BOOL supported = FALSE;
      if (provider->AreLunsSupported(query_luns.count(), 0, query_luns.devices(),
                                     query_luns.data(), &supported) != S_OK || !supported) {
        ++failures;
      }
    }
  });
  std::thread describing([&] {
    platform::ScopedCallerIdentity administrator(0);
    for (int i = 0; i < kRounds; ++i) {
      BOOL supported = FALSE;
      ULONGLONG mask = 0;
      if (provider->FillInLunInfo(nullptr, &info_lun[0], &supported) != S_OK || !supported) ++failures;
      if (provider->GetProviderCapabilities(&mask) != E_NOTIMPL) ++failures;  // takes no lock
      IVssProviderNotifications* notifications = nullptr;
      if (provider->QueryInterface(IID_IVssProviderNotifications,
                                   reinterpret_cast<void**>(&notifications)) != S_OK) {
        ++failures;
      } else {
        notifications->Release();
      }
    }
  });
  std::vector<HRESULT> set_results;
  std::thread creating([&] {
    platform::ScopedCallerIdentity administrator(0);
    set_results = CreateSet(provider.get(), TestGuid(50), set_luns);
  });
  asking.join();
  describing.join();
  creating.join();

  EXPECT_EQ(0, failures.load());
  EXPECT_THAT(set_results, Each(Eq(S_OK)));
  EXPECT_EQ(VSS_SS_CREATED, provider->CurrentState());
  EXPECT_EQ(3u, provider->PendingSnapshots().size());
  EXPECT_EQ(3u, SnapshotNames().size());
}

}  // namespace
