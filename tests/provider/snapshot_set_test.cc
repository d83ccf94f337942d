// The snapshot-set state machine driven the way VSS drives it: the normal
// sequence, calls out of order or for another set, aborts, a commit that
// fails part way, the authorization rule and the held log output.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "library/log/event_catalogue.h"
#include "library/rest/kova_array.h"
#include "platform/guid.h"
#include "tests/provider/provider_fixture.h"
#include "tests/support/wide_text.h"

using testing::AllOf;
using testing::Contains;
using testing::ElementsAre;
using testing::HasSubstr;
using testing::IsEmpty;
using testing::SizeIs;
using testing::UnorderedElementsAre;

namespace {

class SnapshotSetTest : public ProviderTest {
 protected:
  void SetUp() override {
    ProviderTest::SetUp();
    AddLun(luns_, SerialOf("db01"), "db01");
    AddLun(luns_, SerialOf("db02"), "db02");
    AddLun(luns_, SerialOf("logs01"), "logs01");
  }
  // "<volume>.VSS-<32 hex digits of the set>".
  static std::string SnapshotName(const std::string& volume, const GUID& set_id) {
    return volume + "." + Narrow(KovaArray::MakeSnapshotSuffix(set_id));
  }
  std::vector<std::string> RequestsSince(size_t first) const {
    std::vector<std::string> lines = RequestLines();
    return std::vector<std::string>(lines.begin() + static_cast<long>(first), lines.end());
  }
  HRESULT Begin(ProviderRef& provider, const GUID& set_id, LunRecordArray& luns) {
    return provider->BeginPrepareSnapshot(set_id, TestGuid(77), 0, luns.count(), luns.devices(),
                                          luns.data());
  }

  LunRecordArray luns_;
};

TEST_F(SnapshotSetTest, TheFullSequenceMakesOneSnapshotPerLunAtCommit) {
  ProviderRef provider;
  const GUID set_id = TestGuid(1);
  PrepareSet(provider.get(), set_id, luns_);
  EXPECT_THAT(SnapshotNames(), IsEmpty());
  const size_t before = RequestLines().size();
  ASSERT_EQ(S_OK, provider->CommitSnapshots(set_id));
  EXPECT_THAT(RequestsSince(before), ElementsAre("POST /api/1.1/volume", "POST /api/1.1/volume",
                                                 "POST /api/1.1/volume"));
  EXPECT_EQ(VSS_SS_COMMITTED, provider->CurrentState());
  ASSERT_EQ(S_OK, provider->PostCommitSnapshots(set_id, 3));
  ASSERT_EQ(S_OK, provider->PreFinalCommitSnapshots(set_id));
  ASSERT_EQ(S_OK, provider->PostFinalCommitSnapshots(set_id));
  EXPECT_EQ(VSS_SS_CREATED, provider->CurrentState());

  EXPECT_THAT(SnapshotNames(), ElementsAre(SnapshotName("db01", set_id), SnapshotName("db02", set_id),
                                           SnapshotName("logs01", set_id)));
  const auto records = provider->PendingSnapshots();
  ASSERT_THAT(records, SizeIs(3));
  EXPECT_EQ(SerialOf("db02"), records[1].lunSerial);
  EXPECT_EQ("db02", records[1].volumeName);
  EXPECT_EQ(SnapshotName("db02", set_id), records[1].snapshotName);
  EXPECT_EQ(SerialOf(SnapshotName("db02", set_id)), records[1].snapshotSerial);
  EXPECT_THAT(events_.Insertions(kEventSnapshotCreated),
              ElementsAre("Successfully created snapshot for Kova Storage volume '" + SerialOf("db01") + "'",
                          "Successfully created snapshot for Kova Storage volume '" + SerialOf("db02") + "'",
                          "Successfully created snapshot for Kova Storage volume '" + SerialOf("logs01") + "'"));
  const std::string set_text = platform::GuidToString(set_id);
  EXPECT_EQ(1u, LogCount("CKovaVssProvider::CommitSnapshots() - SnapshotId=" + set_text +
                         " successfully commited!"));
  EXPECT_EQ(1u, LogCount("Snapshot(" + records[0].snapshotSerial + ", " + records[0].snapshotName +
                         ") created for volume(" + SerialOf("db01") + ", db01)"));
  EXPECT_EQ(1u, LogCount("EXITING: CKovaVssProvider::PostCommitSnapshots. Snapshot successfully created"));
}

TEST_F(SnapshotSetTest, EndPrepareRightAfterConstructionIsRefusedAndAbortsTheSet) {
  ProviderRef provider;
  EXPECT_EQ(VSS_E_PROVIDER_VETO, provider->EndPrepareSnapshots(TestGuid(1)));
  EXPECT_EQ(VSS_SS_ABORTED, provider->CurrentState());
  EXPECT_THAT(events_.Insertions(kEventSnapshotCreationFailed),
              ElementsAre("EndPrepareSnapshots called out of order"));
  EXPECT_EQ(1u, LogCount("CKovaVssProvider::EndPrepareSnapshots() - EndPrepareSnapshots called out of order"));

  EXPECT_EQ(VSS_E_PROVIDER_VETO, provider->PreCommitSnapshots(TestGuid(1)));
  EXPECT_EQ(VSS_E_PROVIDER_VETO, provider->CommitSnapshots(TestGuid(1)));
  EXPECT_THAT(events_.Insertions(kEventCallerNotAdministrator),
              ElementsAre("CommitSnapshots called out of order"));
  EXPECT_EQ(1u, LogCount("EXITING: CKovaVssProvider::CommitSnapshots(80042306). CommitSnapshots "
                         "called out of order"));
  EXPECT_THAT(events_.Insertions(kEventSnapshotCreationFailed),
              Contains("PreCommitSnapshots called out of order"));
}

TEST_F(SnapshotSetTest, AnotherSetIdIsRefusedAtEveryStep) {
  ProviderRef provider;
  ASSERT_EQ(S_OK, Begin(provider, TestGuid(1), luns_));
  EXPECT_EQ(VSS_E_PROVIDER_VETO, provider->EndPrepareSnapshots(TestGuid(2)));
  EXPECT_EQ(VSS_SS_ABORTED, provider->CurrentState());
  EXPECT_TRUE(provider->PendingSnapshots().empty());
  EXPECT_EQ(1u, LogCount("CKovaVssProvider::EndPrepareSnapshots() - Unexpected snapshot set ID "
                         "during EndPrepareSnapshots"));

  ASSERT_EQ(S_OK, Begin(provider, TestGuid(1), luns_));
  ASSERT_EQ(S_OK, provider->EndPrepareSnapshots(TestGuid(1)));
  EXPECT_EQ(VSS_E_PROVIDER_VETO, provider->PreCommitSnapshots(TestGuid(2)));
  EXPECT_EQ(VSS_SS_ABORTED, provider->CurrentState());

  PrepareSet(provider.get(), TestGuid(1), luns_);
  EXPECT_EQ(VSS_E_PROVIDER_VETO, provider->CommitSnapshots(TestGuid(2)));
  EXPECT_EQ(VSS_SS_ABORTED, provider->CurrentState());
  EXPECT_THAT(SnapshotNames(), IsEmpty());
  EXPECT_THAT(events_.Insertions(kEventSnapshotCreationFailed),
              ElementsAre("Unexpected snapshot set ID during EndPrepareSnapshots",
                          "Unexpected snapshot set ID during PreCommitSnapshots",
                          "Unexpected snapshot set ID during CommitSnapshots"));
}

TEST_F(SnapshotSetTest, PostCommitForAnotherSetAnswersOkButDeletesTheSnapshots) {
  ProviderRef provider;
  PrepareSet(provider.get(), TestGuid(1), luns_);
  ASSERT_EQ(S_OK, provider->CommitSnapshots(TestGuid(1)));
  ASSERT_THAT(SnapshotNames(), SizeIs(3));
  EXPECT_EQ(S_OK, provider->PostCommitSnapshots(TestGuid(2), 3));
  EXPECT_EQ(VSS_SS_ABORTED, provider->CurrentState());
  EXPECT_THAT(SnapshotNames(), IsEmpty());
  EXPECT_THAT(events_.Insertions(kEventCallerNotAdministrator),
              ElementsAre("Unexpected snapshot set ID during PostCommitSnapshots"));
  // EradicateVolumes is on by default: destroyed and eradicated.
  EXPECT_EQ(0u, sim_.State().at(U("destroyed")).as_array().size());
}

TEST_F(SnapshotSetTest, PostCommitInTheWrongStateAnswersOkAndAborts) {
  ProviderRef provider;
  PrepareSet(provider.get(), TestGuid(1), luns_);
  EXPECT_EQ(S_OK, provider->PostCommitSnapshots(TestGuid(1), 3));
  EXPECT_EQ(VSS_SS_ABORTED, provider->CurrentState());
  EXPECT_THAT(events_.Insertions(kEventCallerNotAdministrator),
              ElementsAre("PostCommitSnapshots called out of order"));
  EXPECT_EQ(1u, LogCount("EXITING: CKovaVssProvider::PostCommitSnapshots(80042306). "
                         "PostCommitSnapshots called out of order"));
}

TEST_F(SnapshotSetTest, ACreatedSetSurvivesStrayLateCalls) {
  ProviderRef provider;
  CreateSet(provider.get(), TestGuid(1), luns_);
  EXPECT_EQ(VSS_E_PROVIDER_VETO, provider->EndPrepareSnapshots(TestGuid(1)));
  EXPECT_EQ(VSS_E_PROVIDER_VETO, provider->CommitSnapshots(TestGuid(1)));
  EXPECT_EQ(S_OK, provider->PostCommitSnapshots(TestGuid(1), 3));
  EXPECT_EQ(S_OK, provider->AbortSnapshots(TestGuid(1)));
  EXPECT_EQ(S_OK, provider->AbortSnapshots(TestGuid(9)));
  EXPECT_EQ(VSS_SS_CREATED, provider->CurrentState());
  EXPECT_THAT(SnapshotNames(), SizeIs(3));
  EXPECT_THAT(provider->PendingSnapshots(), SizeIs(3));
  EXPECT_EQ(2u, LogCount("Abort called after create - Ignoring Abort!"));
}

TEST_F(SnapshotSetTest, AbortDeletesTheSnapshotsOfACommittedSet) {
  ProviderRef provider;
  PrepareSet(provider.get(), TestGuid(1), luns_);
  ASSERT_EQ(S_OK, provider->CommitSnapshots(TestGuid(1)));
  EXPECT_EQ(S_OK, provider->AbortSnapshots(TestGuid(1)));
  EXPECT_EQ(VSS_SS_ABORTED, provider->CurrentState());
  EXPECT_THAT(SnapshotNames(), IsEmpty());
  EXPECT_EQ(3u, LogCount("DeleteSnapshotLun - snapshot("));
  EXPECT_EQ(1u, LogCount("CKovaVssProvider::AbortSnapshots(). Deleting pending snapshot!"));
}

TEST_F(SnapshotSetTest, AbortForAnotherSetOnlyMarksTheSetAborted) {
  ProviderRef provider;
  PrepareSet(provider.get(), TestGuid(1), luns_);
  ASSERT_EQ(S_OK, provider->CommitSnapshots(TestGuid(1)));
  EXPECT_EQ(VSS_E_PROVIDER_VETO, provider->AbortSnapshots(TestGuid(2)));
  EXPECT_EQ(VSS_SS_ABORTED, provider->CurrentState());
  EXPECT_THAT(provider->PendingSnapshots(), SizeIs(3));
  EXPECT_THAT(SnapshotNames(), SizeIs(3));
  EXPECT_THAT(events_.Insertions(kEventCallerNotAdministrator),
              ElementsAre("Unexpected snapshot set ID during AbortSnapshots"));
  // The right set's abort then cleans up.
  EXPECT_EQ(S_OK, provider->AbortSnapshots(TestGuid(1)));
  EXPECT_THAT(SnapshotNames(), IsEmpty());
}

TEST_F(SnapshotSetTest, AFailedThirdSnapshotDeletesTheFirstTwo) {
  ProviderRef provider;
  PrepareSet(provider.get(), TestGuid(1), luns_);
  kova_sim::Fault fault;
  fault.kind = kova_sim::Fault::Kind::kStatus;
  fault.method = "POST";
  fault.path_contains = "/api/1.1/volume";
  fault.skip = 2;
  fault.status = 500;
  fault.body = R"({"msg": "internal failure"})";
  sim_.InjectFault(fault);

  EXPECT_EQ(VSS_E_PROVIDER_VETO, provider->CommitSnapshots(TestGuid(1)));
  EXPECT_EQ(VSS_SS_ABORTED, provider->CurrentState());
  EXPECT_THAT(SnapshotNames(), IsEmpty());
  EXPECT_EQ(2u, LogCount("DeleteSnapshotLun - snapshot("));
  EXPECT_THAT(events_.Insertions(kEventSnapshotCreated), SizeIs(2));
  const auto failures = events_.Insertions(kEventSnapshotCreationFailed);
  ASSERT_THAT(failures, SizeIs(1));
  EXPECT_THAT(failures[0], HasSubstr("internal failure"));
  EXPECT_EQ(1u, LogCount("failed to commit with hr=80042306!"));
  EXPECT_EQ(1u, LogCount("EXITING: CKovaVssProvider::CommitSnapshots(80042306)"));
}

TEST_F(SnapshotSetTest, BeginPrepareKeepsOneRecordPerLunAndStartsOverForANewSet) {
  ProviderRef provider;
  LunRecordArray first;
  AddLun(first, SerialOf("db01"), "db01");
  AddLun(first, SerialOf("db02"), "db02");
  LunRecordArray overlapping;
  AddLun(overlapping, SerialOf("db02"), "db02");
  AddLun(overlapping, SerialOf("logs01"), "logs01");
  ASSERT_EQ(S_OK, Begin(provider, TestGuid(1), first));
  ASSERT_EQ(S_OK, Begin(provider, TestGuid(1), overlapping));
  std::vector<std::string> serials;
  for (const auto& record : provider->PendingSnapshots()) serials.push_back(record.lunSerial);
  EXPECT_THAT(serials, ElementsAre(SerialOf("db01"), SerialOf("db02"), SerialOf("logs01")));

  const size_t before = RequestLines().size();
  ASSERT_EQ(S_OK, Begin(provider, TestGuid(2), overlapping));
  EXPECT_THAT(provider->PendingSnapshots(), SizeIs(2));
  // Nothing was made for the old set, so nothing is asked for or deleted.
  for (const std::string& line : RequestsSince(before)) {
    EXPECT_THAT(line, testing::Not(HasSubstr("DELETE")));
    EXPECT_THAT(line, testing::Not(HasSubstr("snap=true")));
  }
  EXPECT_EQ(VSS_E_PROVIDER_VETO, provider->EndPrepareSnapshots(TestGuid(1)));
}

TEST_F(SnapshotSetTest, ALunNoArrayHoldsVetoesTheSetAndReleasesTheLog) {
  ProviderRef provider;
  LunRecordArray luns;
  AddLun(luns, SerialOf("db01"), "db01");
  const std::string unknown = SerialOf("db01").substr(0, 16) + "0000FFFF";
  AddLun(luns, unknown, "ghost");
  EXPECT_EQ(VSS_E_PROVIDER_VETO, Begin(provider, TestGuid(1), luns));
  EXPECT_EQ(VSS_SS_ABORTED, provider->CurrentState());
  EXPECT_TRUE(provider->PendingSnapshots().empty());
  EXPECT_THAT(events_.Insertions(kEventVolumeCheckFailed), ElementsAre(unknown));
  // Released: the lines are in the file already. The line carries the
  // lookup's own result.
  EXPECT_THAT(log_.LinesContaining("EXITING: CKovaVssProvider::BeginPrepareSnapshot(80004005). "
                                   "Could not locate LUN information in array "),
              SizeIs(1));
  EXPECT_THAT(log_.LinesContaining("LUN (" + SerialOf("db01") + ") added to shadow copy list"),
              SizeIs(1));
  EXPECT_THAT(log_.LinesContaining("EXITING: CKovaVssProvider::BeginPrepareSnapshot(80042306)"),
              SizeIs(1));
}

TEST_F(SnapshotSetTest, ARecordWithoutIdentifiersIsAnInvalidArgument) {
  ProviderRef provider;
  LunSpec wanted;
  wanted.serial = SerialOf("db02");
  wanted.with_identifier_list = false;
  LunRecordArray luns;
  AddLun(luns, SerialOf("db01"), "db01");
  AddLun(luns, wanted);
  EXPECT_EQ(E_INVALIDARG, Begin(provider, TestGuid(1), luns));
  EXPECT_EQ(VSS_SS_UNKNOWN, provider->CurrentState());
  EXPECT_EQ(1u, LogCount("EXITING: CKovaVssProvider::BeginPrepareSnapshot(80070057). VDS Lun Info "
                         "is null for volume Id '" + SerialOf("db02") + "'"));
  EXPECT_EQ(E_INVALIDARG, provider->BeginPrepareSnapshot(TestGuid(1), TestGuid(2), 0, 2,
                                                         nullptr, nullptr));
  EXPECT_EQ(E_INVALIDARG, provider->BeginPrepareSnapshot(TestGuid(1), TestGuid(2), 0, -1,
                                                         nullptr, luns.data()));
}

TEST_F(SnapshotSetTest, ACallerWhoIsNoAdministratorIsRefusedWithoutChangingTheSet) {
  ProviderRef provider;
  PrepareSet(provider.get(), TestGuid(1), luns_);
  const size_t before = RequestLines().size();
  {
    platform::ScopedCallerIdentity user(1000);
    EXPECT_EQ(VSS_E_PROVIDER_VETO, provider->CommitSnapshots(TestGuid(1)));
    EXPECT_EQ(VSS_E_PROVIDER_VETO, Begin(provider, TestGuid(2), luns_));
  }
  EXPECT_EQ(VSS_SS_PRECOMMITTED, provider->CurrentState());
  EXPECT_THAT(provider->PendingSnapshots(), SizeIs(3));
  EXPECT_EQ(before, RequestLines().size());
  EXPECT_THAT(events_.Insertions(kEventCallerNotAdministrator), ElementsAre("", ""));
  EXPECT_EQ(1u, LogCount("EXITING : CKovaVssProvider::CommitSnapshots(80042306). Authorization failure"));
  EXPECT_EQ(1u, LogCount("EXITING: CKovaVssProvider::BeginPrepareSnapshot(80042306). Authorization failure"));
  // The set goes on for its administrator.
  EXPECT_EQ(S_OK, provider->CommitSnapshots(TestGuid(1)));
}

TEST_F(SnapshotSetTest, TheLogIsHeldFromBeginPrepareUntilPostFinalCommit) {
  ProviderRef provider;
  const std::string before = log_.Contents();
  PrepareSet(provider.get(), TestGuid(1), luns_);
  ASSERT_EQ(S_OK, provider->CommitSnapshots(TestGuid(1)));
  ASSERT_EQ(S_OK, provider->PostCommitSnapshots(TestGuid(1), 3));
  ASSERT_EQ(S_OK, provider->PreFinalCommitSnapshots(TestGuid(1)));
  EXPECT_EQ(before, log_.Contents());
  ASSERT_EQ(S_OK, provider->PostFinalCommitSnapshots(TestGuid(1)));
  const std::vector<std::string> messages = Messages();
  const auto begin = std::find_if(messages.begin(), messages.end(), [](const std::string& m) {
    return m.rfind("ENTERING: CKovaVssProvider::BeginPrepareSnapshot()- SnapshotSetId=", 0) == 0;
  });
  ASSERT_NE(begin, messages.end());
  EXPECT_THAT(*begin, HasSubstr(", lLunCount=3"));
  EXPECT_EQ(std::string(82, '='), *(begin + 1));
  EXPECT_EQ(std::string(82, '='), messages.back());
  EXPECT_EQ("EXITING: CKovaVssProvider::PostFinalCommitSnapshots()", *(messages.end() - 2));
}

TEST_F(SnapshotSetTest, AbortReleasesTheHeldLog) {
  ProviderRef provider;
  ASSERT_EQ(S_OK, Begin(provider, TestGuid(1), luns_));
  const size_t held = log_.Lines().size();
  EXPECT_EQ(S_OK, provider->AbortSnapshots(TestGuid(1)));
  EXPECT_GT(log_.Lines().size(), held);
  EXPECT_EQ(1u, LogCount("ENTRING: CKovaVssProvider::AbortSnapshots(). SnapshotId=" +
                         platform::GuidToString(TestGuid(1))));
}

}  // namespace
