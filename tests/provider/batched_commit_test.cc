// CommitSnapshots with "BatchSnapshots" set, against two emulated arrays:
// one snapshot request per array, the names and serials from the answers,
// the arrays asked at the same time, and a failed commit that leaves
// nothing of the set on either array. With the setting off each LUN keeps
// its own request.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <fstream>
#include <sstream>
#include <thread>

#include "library/log/event_catalogue.h"
#include "library/registry_layout.h"
#include "library/rest/kova_array.h"
#include "library/rest/kova_rest.h"
#include "platform/guid.h"
#include "provider/vss/kova_vss_provider_factory.h"
#include "tests/provider/provider_fixture.h"
#include "tests/support/temp_dir.h"
#include "tests/support/wide_text.h"
#include "tools/KovaVssShadow/shadow_cli.h"

using testing::ElementsAre;
using testing::HasSubstr;
using testing::IsEmpty;
using testing::SizeIs;
using web::json::value;

namespace {

kova_sim::SimSeed SecondArraySeed() {
  kova_sim::SimSeed seed = kova_sim::SimSeed::Default();
  seed.array_id = "0c2d4e6f-8a1b-4c3d-9e5f-a1b2c3d4e5f6";
  seed.array_name = "kova-sim-02";
  seed.volumes = {{"mail01", 1 << 20, ""}, {"mail02", 1 << 20, ""}};
  return seed;
}

std::string Text(const value& json) { return utility::conversions::to_utf8string(json.as_string()); }

// The names of an emulated array's live snapshots and destroyed objects.
std::vector<std::string> LeftOver(const TestArraySim& sim) {
  std::vector<std::string> names;
  const value state = sim.State();
  for (const char* list : {"snapshots", "destroyed"}) {
    for (const value& item : state.at(Wide(list)).as_array()) {
      names.push_back(Text(item.is_string() ? item : item.at(U("name"))));
    }
  }
  return names;
}

// The snapshot requests an array received: their "source" lists.
std::vector<std::vector<std::string>> SnapshotSources(const TestArraySim& sim,
                                                      const std::string& suffix) {
  std::vector<std::vector<std::string>> requests;
  for (const auto& request : sim.Requests()) {
    if (request.method != "POST" || request.target != "/api/1.1/volume") continue;
    const value body = value::parse(utility::conversions::to_string_t(request.body));
    EXPECT_EQ(suffix, Text(body.at(U("suffix"))));
    EXPECT_TRUE(body.at(U("snap")).as_bool());
    std::vector<std::string> sources;
    for (const value& source : body.at(U("source")).as_array()) sources.push_back(Text(source));
    requests.push_back(sources);
  }
  return requests;
}

class BatchedCommitTest : public ProviderTest {
 protected:
  BatchedCommitTest() : other_(SecondArraySeed()) {}
  void SetUp() override {
    ProviderTest::SetUp();
    other_.Start();
    ConfigureArray("array2", other_.Url(), Token());
    SetRootDword(kova::kValueBatchSnapshots, 1);
    // The set's order mixes the arrays: db01, mail01, db02, mail02.
    AddLun(luns_, SerialOf("db01"), "db01");
    AddLun(luns_, OtherSerial("mail01"), "mail01");
    AddLun(luns_, SerialOf("db02"), "db02");
    AddLun(luns_, OtherSerial("mail02"), "mail02");
  }
  void TearDown() override {
    other_.Stop();
    ProviderTest::TearDown();
  }
  std::string OtherSerial(const std::string& name) const {
    const value state = other_.State();
    for (const char* list : {"volumes", "snapshots"}) {
      for (const value& item : state.at(Wide(list)).as_array()) {
        if (Text(item.at(U("name"))) == name) return Text(item.at(U("serial")));
      }
    }
    return std::string();
  }
  static std::string Name(const std::string& volume, const GUID& set_id) {
    return volume + "." + Narrow(KovaArray::MakeSnapshotSuffix(set_id));
  }
  void ClearRequests() {
    sim_.ClearRequests();
    other_.ClearRequests();
  }
  // Makes db01's and db02's snapshots of the set on the first array, as if
  // the array had done the work, and returns their serials.
  std::vector<std::string> MakeFirstArraySnapshots(const GUID& set_id) {
    KovaREST rest(10);
    rest.Configure(Wide(sim_.Url()), Wide(Token()), U("1.1"));
    value body = value::object();
    body[U("suffix")] = value::string(KovaArray::MakeSnapshotSuffix(set_id));
    body[U("snap")] = value::boolean(true);
    body[U("source")] = value::array({value::string(U("db01")), value::string(U("db02"))});
    uint16_t status = 0;
    value answer;
    rest.RequestSync(U("/api/1.1/volume"), KovaREST::kPost, &body, status, answer);
    EXPECT_EQ(200, status);
    sim_.ClearRequests();
    return {SerialOf(Name("db01", set_id)), SerialOf(Name("db02", set_id))};
  }
  // Answers the first array's snapshot request with |listed| in its place.
  void AnswerSnapshotRequestWith(const std::vector<std::pair<std::string, std::string>>& listed) {
    std::string body = "[";
    for (const auto& snapshot : listed) {
      body += std::string(body.size() > 1 ? ", " : "") + R"({"name": ")" + snapshot.first +
              R"(", "serial": ")" + snapshot.second + R"("})";
    }
    kova_sim::Fault fault;
    fault.kind = kova_sim::Fault::Kind::kStatus;
    fault.method = "POST";
    fault.path_contains = "/api/1.1/volume";
    fault.status = 200;
    fault.body = body + "]";
    sim_.InjectFault(fault);
  }
  // Expects a vetoed, aborted set with nothing of it left on either array.
  void ExpectNothingLeft(ProviderRef& provider) {
    EXPECT_EQ(VSS_SS_ABORTED, provider->CurrentState());
    EXPECT_THAT(LeftOver(sim_), IsEmpty());
    EXPECT_THAT(LeftOver(other_), IsEmpty());
    EXPECT_THAT(events_.Insertions(kEventSnapshotCreated), IsEmpty());
    EXPECT_EQ(1u, LogCount("failed to commit with hr=80042306!"));
  }

  TestArraySim other_;
  LunRecordArray luns_;
};

TEST_F(BatchedCommitTest, EachArrayGetsOneRequestWithItsVolumesInTheSetsOrder) {
  ProviderRef provider;
  const GUID set_id = TestGuid(1);
  const std::string suffix = Narrow(KovaArray::MakeSnapshotSuffix(set_id));
  PrepareSet(provider.get(), set_id, luns_);
  ClearRequests();
  ASSERT_EQ(S_OK, provider->CommitSnapshots(set_id));
  EXPECT_EQ(VSS_SS_COMMITTED, provider->CurrentState());
  EXPECT_THAT(RequestLines(), ElementsAre("POST /api/1.1/volume"));
  EXPECT_THAT(SnapshotSources(sim_, suffix), ElementsAre(ElementsAre("db01", "db02")));
  EXPECT_THAT(SnapshotSources(other_, suffix), ElementsAre(ElementsAre("mail01", "mail02")));

  const auto records = provider->PendingSnapshots();
  ASSERT_THAT(records, SizeIs(4));
  const std::vector<std::string> serials = {SerialOf(Name("db01", set_id)), OtherSerial(Name("mail01", set_id)),
                                            SerialOf(Name("db02", set_id)), OtherSerial(Name("mail02", set_id))};
  for (size_t i = 0; i < records.size(); ++i) {
    EXPECT_EQ(Name(records[i].volumeName, set_id), records[i].snapshotName);
    EXPECT_FALSE(serials[i].empty());
    EXPECT_EQ(serials[i], records[i].snapshotSerial) << records[i].volumeName;
  }
  std::vector<std::string> created;
  for (const auto& record : records) {
    created.push_back("Successfully created snapshot for Kova Storage volume '" + record.lunSerial + "'");
  }
  EXPECT_EQ(created, events_.Insertions(kEventSnapshotCreated));
}

TEST_F(BatchedCommitTest, TheHeldLogHasEachArraysLinesTogetherThenOneLinePerRecordInOrder) {
  ProviderRef provider;
  const GUID set_id = TestGuid(2);
  PrepareSet(provider.get(), set_id, luns_);
  ASSERT_EQ(S_OK, provider->CommitSnapshots(set_id));
  ASSERT_EQ(S_OK, provider->PostCommitSnapshots(set_id, luns_.count()));
  ASSERT_EQ(S_OK, provider->PreFinalCommitSnapshots(set_id));
  ASSERT_EQ(S_OK, provider->PostFinalCommitSnapshots(set_id));
  std::vector<std::string> order;
  for (const std::string& line : log_.Lines()) {
    for (const char* volume : {"db01", "mail01", "db02", "mail02"}) {
      const std::string name = Name(volume, set_id);
      if (line.find("Snapshot(" + name + ") created for Volume(") != std::string::npos) {
        order.push_back(std::string("array ") + volume);
      }
      if (line.find(", " + name + ") created for volume(") != std::string::npos) {
        order.push_back(std::string("record ") + volume);
      }
    }
  }
  EXPECT_THAT(order, ElementsAre("array db01", "array db02", "array mail01", "array mail02", "record db01",
                                 "record mail01", "record db02", "record mail02"));
}

TEST_F(BatchedCommitTest, ThePrintedTargetsCarryTheNamesAndSerialsOfTheAnswers) {
  TempDir dir;
  const std::string file = dir.str() + "/luns.json";
  std::ofstream(file) << "[" << R"({"vendor": "KOVA    ", "serial": ")" << SerialOf("db01")
                      << R"(", "identifiers": [{"code_set": 2, "type": 0, "data": "db01"}]},)"
                      << R"({"vendor": "KOVA    ", "serial": ")" << OtherSerial("mail01")
                      << R"(", "identifiers": [{"code_set": 2, "type": 0, "data": "mail01"}]})"
                      << "]";
  ClearRequests();
  std::ostringstream out;
  std::ostringstream err;
  std::istringstream in;
  ShadowEnvironment env;
  env.factory = CreateKovaVssProviderInstance;
  env.in = &in;
  env.out = &out;
  env.err = &err;
  ASSERT_EQ(kExitSuccess, RunKovaVssShadow({"create", "@" + file}, env)) << err.str();

  const value printed = value::parse(utility::conversions::to_string_t(out.str()));
  std::string suffix = "VSS-";
  for (char c : Text(printed.at(U("snapshot_set_id")))) {
    if (std::isxdigit(static_cast<unsigned char>(c))) suffix += static_cast<char>(std::toupper(c));
  }
  EXPECT_THAT(SnapshotSources(sim_, suffix), ElementsAre(ElementsAre("db01")));
  EXPECT_THAT(SnapshotSources(other_, suffix), ElementsAre(ElementsAre("mail01")));
  const value& targets = printed.at(U("targets"));
  ASSERT_EQ(2u, targets.size());
  const std::string names[] = {"db01." + suffix, "mail01." + suffix};
  const std::string serials[] = {SerialOf(names[0]), OtherSerial(names[1])};
  for (size_t i = 0; i < 2; ++i) {
    EXPECT_FALSE(serials[i].empty());
    EXPECT_EQ(serials[i], Text(targets.at(i).at(U("serial"))));
    const value& ids = targets.at(i).at(U("identifiers"));
    EXPECT_EQ("KOVA    Lumenstack:" + serials[i], Text(ids.at(0).at(U("data"))));
    EXPECT_EQ(names[i], Text(ids.at(1).at(U("data"))));
  }
}

TEST_F(BatchedCommitTest, AnAnswerMissingASnapshotFailsTheCommitAndLeavesNothingOnEitherArray) {
  ProviderRef provider;
  const GUID set_id = TestGuid(3);
  PrepareSet(provider.get(), set_id, luns_);
  const std::vector<std::string> made = MakeFirstArraySnapshots(set_id);
  AnswerSnapshotRequestWith({{Name("db01", set_id), made[0]}});  // db02 left out

  EXPECT_EQ(VSS_E_PROVIDER_VETO, provider->CommitSnapshots(set_id));
  ExpectNothingLeft(provider);
  EXPECT_THAT(events_.Insertions(kEventSnapshotCreationFailed),
              ElementsAre("Internal error while creating a snapshot"));
  EXPECT_EQ(1u, LogCount("Snapshot(" + Name("db02", set_id) + ") is missing from the array's answer"));
  EXPECT_EQ(1u, LogCount("DeleteSnapshotsByName - snapshot(" + Name("db02", set_id) + ") whose creation was not confirmed deleted"));
}

TEST_F(BatchedCommitTest, AnAnswerListingASnapshotTwiceFailsTheCommitAndLeavesNothing) {
  ProviderRef provider;
  const GUID set_id = TestGuid(4);
  PrepareSet(provider.get(), set_id, luns_);
  const std::vector<std::string> made = MakeFirstArraySnapshots(set_id);
  AnswerSnapshotRequestWith(
      {{Name("db01", set_id), made[0]}, {Name("db02", set_id), made[1]}, {Name("db01", set_id), made[0]}});

  EXPECT_EQ(VSS_E_PROVIDER_VETO, provider->CommitSnapshots(set_id));
  ExpectNothingLeft(provider);
  EXPECT_EQ(1u, LogCount("Snapshot(" + Name("db01", set_id) + ") is listed 2 times in the array's answer"));
}

TEST_F(BatchedCommitTest, OneArrayFailingLeavesNothingOnTheOther) {
  ProviderRef provider;
  const GUID set_id = TestGuid(5);
  PrepareSet(provider.get(), set_id, luns_);
  kova_sim::Fault fault;
  fault.kind = kova_sim::Fault::Kind::kStatus;
  fault.method = "POST";
  fault.path_contains = "/api/1.1/volume";
  fault.status = 500;
  fault.body = R"({"msg": "internal failure"})";
  other_.InjectFault(fault);

  EXPECT_EQ(VSS_E_PROVIDER_VETO, provider->CommitSnapshots(set_id));
  ExpectNothingLeft(provider);
  const auto failures = events_.Insertions(kEventSnapshotCreationFailed);
  ASSERT_THAT(failures, SizeIs(1));
  EXPECT_THAT(failures[0], HasSubstr("internal failure"));
  EXPECT_EQ(2u, LogCount("DeleteSnapshotLun - snapshot("));
}

TEST_F(BatchedCommitTest, ASnapshotWhoseAnswerWasLostIsDeletedByItsName) {
  if (const char* reason = NoShortBodyError()) GTEST_SKIP() << reason;
  ProviderRef provider;
  const GUID set_id = TestGuid(6);
  PrepareSet(provider.get(), set_id, luns_);
  kova_sim::Fault fault;
  fault.kind = kova_sim::Fault::Kind::kTruncate;  // made, but the answer cannot be read
  fault.method = "POST";
  fault.path_contains = "/api/1.1/volume";
  sim_.InjectFault(fault);

  EXPECT_EQ(VSS_E_PROVIDER_VETO, provider->CommitSnapshots(set_id));
  ExpectNothingLeft(provider);
  EXPECT_EQ(1u, LogCount("DeleteSnapshotsByName - snapshot(" + Name("db01", set_id) + ") whose creation was not confirmed deleted"));
  EXPECT_EQ(1u, LogCount("DeleteSnapshotsByName - snapshot(" + Name("db02", set_id) + ") whose creation was not confirmed deleted"));
}

TEST_F(BatchedCommitTest, TheArraysAreAskedAtTheSameTime) {
  if (const char* reason = NoEmulatorStop()) GTEST_SKIP() << reason;
  SetRootString(kova::kValueRestTimeout, "120");  // no request gives up while the test waits
  ProviderRef provider;
  const GUID set_id = TestGuid(7);
  PrepareSet(provider.get(), set_id, luns_);
  // Each array holds its answer back for a minute: both requests can only
  // have arrived meanwhile if they went out together.
  kova_sim::Fault fault;
  fault.kind = kova_sim::Fault::Kind::kDelay;
  fault.method = "POST";
  fault.path_contains = "/api/1.1/volume";
  fault.delay_ms = 60000;
  sim_.InjectFault(fault);
  other_.InjectFault(fault);
  ClearRequests();
  std::atomic<HRESULT> result{S_OK};
  std::atomic<bool> returned{false};
  std::thread commit([&] {
    result = provider->CommitSnapshots(set_id);
    returned = true;
  });
  bool both_sent = false;
  for (int i = 0; i < 3000 && !both_sent && !returned; ++i) {
    both_sent = !sim_.Requests().empty() && !other_.Requests().empty();
    if (!both_sent) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  EXPECT_TRUE(both_sent);
  EXPECT_FALSE(returned) << "neither array has answered yet";
  sim_.Stop();  // the held answers are dropped
  other_.Stop();
  commit.join();
  EXPECT_EQ(VSS_E_PROVIDER_VETO, result.load());
  EXPECT_EQ(VSS_SS_ABORTED, provider->CurrentState());
  EXPECT_THAT(LeftOver(other_), IsEmpty());
  EXPECT_THAT(LeftOver(sim_), IsEmpty());
}

TEST_F(BatchedCommitTest, TheSettingIsReadOnceForTheProcess) {
  ProviderRef provider;
  PrepareSet(provider.get(), TestGuid(8), luns_);
  ASSERT_EQ(S_OK, provider->CommitSnapshots(TestGuid(8)));
  ASSERT_EQ(S_OK, provider->PostCommitSnapshots(TestGuid(8), luns_.count()));
  SetRootDword(kova::kValueBatchSnapshots, 0);
  PrepareSet(provider.get(), TestGuid(9), luns_);
  ClearRequests();
  ASSERT_EQ(S_OK, provider->CommitSnapshots(TestGuid(9)));
  EXPECT_THAT(RequestLines(), ElementsAre("POST /api/1.1/volume"));
}

class UnbatchedCommitTest : public BatchedCommitTest {
 protected:
  void SetUp() override {
    BatchedCommitTest::SetUp();
    SetRootDword(kova::kValueBatchSnapshots, 0);
  }
};

TEST_F(UnbatchedCommitTest, EachLunHasItsOwnRequestInTheSetsOrder) {
  ProviderRef provider;
  const GUID set_id = TestGuid(10);
  const std::string suffix = Narrow(KovaArray::MakeSnapshotSuffix(set_id));
  PrepareSet(provider.get(), set_id, luns_);
  ClearRequests();
  ASSERT_EQ(S_OK, provider->CommitSnapshots(set_id));
  EXPECT_THAT(SnapshotSources(sim_, suffix), ElementsAre(ElementsAre("db01"), ElementsAre("db02")));
  EXPECT_THAT(SnapshotSources(other_, suffix), ElementsAre(ElementsAre("mail01"), ElementsAre("mail02")));
  std::vector<std::string> order;
  for (const std::string& message : Messages("Kova.RestLibrary")) {
    if (message.rfind("Snapshot(", 0) == 0) order.push_back(message.substr(0, message.find('.')));
  }
  EXPECT_THAT(order, ElementsAre("Snapshot(db01", "Snapshot(mail01", "Snapshot(db02", "Snapshot(mail02"));
}

}  // namespace
