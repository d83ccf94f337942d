// Snapshots whose creation was requested but never confirmed: the answer
// was lost, came after the time-out, or could not be read. The array may
// have made them, so ending the set deletes them by name, and only names
// carrying the set's own suffix.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "library/rest/kova_array.h"
#include "library/registry_layout.h"
#include "tests/provider/provider_fixture.h"
#include "tests/support/wide_text.h"

using testing::ElementsAre;
using testing::IsEmpty;
using testing::SizeIs;
using testing::UnorderedElementsAre;

namespace {

// The default array with two snapshots of db01 that are not the set's.
kova_sim::SimSeed SeedWithForeignSnapshots() {
  kova_sim::SimSeed seed = kova_sim::SimSeed::Default();
  seed.snapshots.push_back({"db01.nightly", "db01", ""});
  seed.snapshots.push_back({KovaArray::MakeSnapshotName("db01", TestGuid(9)), "db01", ""});
  return seed;
}

class UnconfirmedSnapshotTest : public ProviderTest {
 protected:
  UnconfirmedSnapshotTest() : ProviderTest(SeedWithForeignSnapshots()) {}

  void SetUp() override {
    ProviderTest::SetUp();
    AddLun(luns_, SerialOf("db01"), "db01");
    AddLun(luns_, SerialOf("db02"), "db02");
    AddLun(luns_, SerialOf("logs01"), "logs01");
  }
  // Fails the snapshot request of LUN |index| (0-based) with |kind|.
  void FailSnapshotRequest(int index, kova_sim::Fault::Kind kind, int delay_ms = 0) {
    kova_sim::Fault fault;
    fault.kind = kind;
    fault.method = "POST";
    fault.path_contains = "/api/1.1/volume";
    fault.skip = index;
    fault.delay_ms = delay_ms;
    fault.status = 200;
    fault.body = "<html>busy</html>";
    fault.content_type = "text/html";
    sim_.InjectFault(fault);
  }
  // Prepares the set, then commits it with the array's requests recorded.
  HRESULT Commit(ProviderRef& provider) {
    PrepareSet(provider.get(), set_, luns_);
    sim_.ClearRequests();
    return provider->CommitSnapshots(set_);
  }
  std::string Name(const std::string& volume) const { return KovaArray::MakeSnapshotName(volume, set_); }
  std::vector<std::string> Destroyed() const {
    const web::json::value state = sim_.State();
    std::vector<std::string> names;
    for (const auto& name : state.at(U("destroyed")).as_array()) names.push_back(Narrow(name.as_string()));
    return names;
  }
  size_t DeletedByName(const std::string& volume) const {
    return LogCount(" I Kova.VssProvider DeleteSnapshotsByName - snapshot(" + Name(volume) +
                    ") whose creation was not confirmed deleted");
  }

  const GUID set_ = TestGuid(1);
  LunRecordArray luns_;
};

TEST_F(UnconfirmedSnapshotTest, ASnapshotWhoseAnswerWasLostIsDeletedByName) {
  ProviderRef provider;
  FailSnapshotRequest(1, kova_sim::Fault::Kind::kExecuteThenDrop);
  EXPECT_EQ(VSS_E_PROVIDER_VETO, Commit(provider));
  EXPECT_EQ(VSS_SS_ABORTED, provider->CurrentState());
  EXPECT_THAT(SnapshotNames(), UnorderedElementsAre("db01.nightly", KovaArray::MakeSnapshotName("db01", TestGuid(9))));
  // db01 by its serial, db02 by the name it was asked for; logs01 was never asked for.
  EXPECT_EQ(1u, LogCount("DeleteSnapshotLun - snapshot(" + Name("db01") + ") deleted"));
  EXPECT_EQ(1u, DeletedByName("db02"));
  EXPECT_THAT(RequestLines(),
              ElementsAre("POST /api/1.1/volume", "POST /api/1.1/volume", "GET /api/1.1/volume?snap=true",
                          "DELETE /api/1.1/volume/" + Name("db01"), "DELETE /api/1.1/volume/" + Name("db01"),
                          "GET /api/1.1/volume/" + Name("db02"), "DELETE /api/1.1/volume/" + Name("db02"),
                          "DELETE /api/1.1/volume/" + Name("db02")));
  EXPECT_THAT(Destroyed(), IsEmpty());  // EradicateVolumes is on by default
}

TEST_F(UnconfirmedSnapshotTest, ASnapshotAnsweredAfterTheTimeOutIsDeletedByName) {
  if (const char* reason = NoReceiveTimeOut()) GTEST_SKIP() << reason;
  SetRootString(kova::kValueRestTimeout, "1");
  ProviderRef provider;
  FailSnapshotRequest(2, kova_sim::Fault::Kind::kLateAnswer, 2500);
  EXPECT_EQ(VSS_E_PROVIDER_VETO, Commit(provider));
  EXPECT_THAT(SnapshotNames(), SizeIs(2));  // the two that are not the set's
  EXPECT_EQ(2u, LogCount("DeleteSnapshotLun - snapshot("));
  EXPECT_EQ(1u, DeletedByName("logs01"));
  EXPECT_EQ(1u, LogCount("Snapshot creation failed. Error: Failed to send request."));
}

TEST_F(UnconfirmedSnapshotTest, AnUnreadableAnswerLeadsToALookUpByNameOnly) {
  ProviderRef provider;
  FailSnapshotRequest(0, kova_sim::Fault::Kind::kRawBody);  // the array did nothing
  EXPECT_EQ(VSS_E_PROVIDER_VETO, Commit(provider));
  EXPECT_THAT(RequestLines(), ElementsAre("POST /api/1.1/volume", "GET /api/1.1/volume/" + Name("db01")));
  EXPECT_EQ(0u, LogCount("DeleteSnapshotsByName"));
  EXPECT_THAT(SnapshotNames(), SizeIs(2));
}

TEST_F(UnconfirmedSnapshotTest, DeletionByNameFollowsEradicateVolumes) {
  SetRootDword(kova::kValueEradicateVolumes, 0);
  ProviderRef provider;
  FailSnapshotRequest(0, kova_sim::Fault::Kind::kExecuteThenDrop);
  EXPECT_EQ(VSS_E_PROVIDER_VETO, Commit(provider));
  EXPECT_THAT(RequestLines(), ElementsAre("POST /api/1.1/volume", "GET /api/1.1/volume/" + Name("db01"),
                                          "DELETE /api/1.1/volume/" + Name("db01")));
  EXPECT_THAT(Destroyed(), ElementsAre(Name("db01")));
  EXPECT_EQ(1u, DeletedByName("db01"));
}

TEST_F(UnconfirmedSnapshotTest, ConfirmedSnapshotsNeedNoLookUpByName) {
  ProviderRef provider;
  ASSERT_EQ(S_OK, Commit(provider));
  EXPECT_THAT(RequestLines(), ElementsAre("POST /api/1.1/volume", "POST /api/1.1/volume", "POST /api/1.1/volume"));
  const std::vector<CKovaVssProvider::PendingSnapshot> records = provider->PendingSnapshots();
  ASSERT_THAT(records, SizeIs(3));
  EXPECT_EQ(Name("db02"), records[1].requestedName);
  sim_.ClearRequests();
  EXPECT_EQ(S_OK, provider->AbortSnapshots(set_));
  for (const std::string& line : RequestLines()) {
    EXPECT_EQ(std::string::npos, line.find("GET /api/1.1/volume/")) << line;
  }
  EXPECT_THAT(SnapshotNames(), SizeIs(2));
  EXPECT_EQ(0u, LogCount("DeleteSnapshotsByName"));
}

TEST_F(UnconfirmedSnapshotTest, AnUnreachableArrayDuringCleanUpIsLoggedAndTheSetStillEnds) {
  ProviderRef provider;
  FailSnapshotRequest(0, kova_sim::Fault::Kind::kExecuteThenDrop);
  kova_sim::Fault refuse;
  refuse.kind = kova_sim::Fault::Kind::kStatus;
  refuse.method = "DELETE";
  refuse.status = 503;
  refuse.body = R"({"msg": "array busy"})";
  sim_.InjectFault(refuse);
  EXPECT_EQ(VSS_E_PROVIDER_VETO, Commit(provider));
  EXPECT_EQ(VSS_SS_ABORTED, provider->CurrentState());
  EXPECT_TRUE(provider->PendingSnapshots().empty());
  EXPECT_EQ(1u, LogCount("DeleteSnapshotsByName - Failed to delete the snapshot(" + Name("db01") + ")"));
  EXPECT_EQ(0u, DeletedByName("db01"));
}

}  // namespace
