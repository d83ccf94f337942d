// KovaArray's operations against the array emulator: the requests each one
// sends, in order, and what it makes of the answers.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <stdexcept>

#include "library/rest/kova_array.h"
#include "tests/rest/array_sim_fixture.h"
#include "tests/support/wide_text.h"

using testing::ElementsAre;
using testing::HasSubstr;
using testing::IsEmpty;
using web::json::value;

namespace {

constexpr char kSetId[] = "{6B29FC40-CA47-1067-B31D-00DD010662DA}";
constexpr char kSuffix[] = "VSS-6B29FC40CA471067B31D00DD010662DA";

GUID SetId() {
  GUID id{};
  platform::GuidFromString(kSetId, &id);
  return id;
}

kova_sim::SimSeed SeedWithId(const std::string& id) {
  kova_sim::SimSeed seed = kova_sim::SimSeed::Default();
  seed.array_id = id;
  for (auto& volume : seed.volumes) volume.serial.clear();
  for (auto& snapshot : seed.snapshots) snapshot.serial.clear();
  return seed;
}

class KovaArrayTest : public ArraySimTest {
 protected:
  KovaArrayTest() : ArraySimTest(SeedWithId("a1b2c3d4-e5f6-a7b8-c9d0-e1f2a3b4c5d6")) {}

  std::unique_ptr<KovaArray> Ready() {
    auto array = std::make_unique<KovaArray>();
    array->Initialize(U("array1"), Url(), Token(), U("1.1"));
    sim_.ClearRequests();
    return array;
  }
  std::string SerialOf(KovaArray& array, const std::string& name) {
    std::string serial;
    EXPECT_EQ(0, array.GetVolumeSerialID(name, serial));
    return serial;
  }
  std::vector<std::string> HostIds() const { return {"iqn.1994-05.com.example:vss-host"}; }
};

TEST_F(KovaArrayTest, InitializeNegotiatesOpensSessionAndNormalisesTheId) {
  KovaArray array;
  array.Initialize(U("array1"), Url(), Token(), U("1.1"));
  EXPECT_THAT(RequestLines(), ElementsAre("GET /api/api_version", "POST /api/1.1/auth/session",
                                          "GET /api/1.1/array"));
  EXPECT_EQ("A1B2C3D4E5F6A7B8C9D0E1F2A3B4C5D6", array.GetCachedArrayID());
  EXPECT_EQ(U("1.1"), array.RestVersion());
}

TEST_F(KovaArrayTest, InitializeRefusesEmptyArgumentsAndIncompatibleVersions) {
  KovaArray array;
  EXPECT_THROW(array.Initialize(U("a"), Url(), U(""), U("1.1")), std::invalid_argument);
  try {
    array.Initialize(U("a"), Url(), Token(), U("2.0"));
    FAIL() << "no exception";
  } catch (const std::invalid_argument& e) {
    EXPECT_STREQ("KovaArray Initialize: Array's REST Version is incompatible", e.what());
  }
  // No session request was sent for the incompatible array.
  EXPECT_THAT(RequestLines(), ElementsAre("GET /api/api_version"));
}

TEST_F(KovaArrayTest, VolumeBelongsWhenTheIdContainsTheSerialPrefix) {
  auto array = Ready();
  EXPECT_TRUE(array->DoesVolumeBelongToArray("E5F6A7B8C9D0E1F2000000"));
  EXPECT_FALSE(array->DoesVolumeBelongToArray("e5f6a7b8c9d0e1f2000000"));
  EXPECT_FALSE(array->DoesVolumeBelongToArray("FFFFA7B8C9D0E1F2000000"));
  EXPECT_THROW(array->DoesVolumeBelongToArray("E5F6A7B8C9D0E1F"), std::invalid_argument);
  EXPECT_TRUE(RequestLines().empty());
  // Serials the array hands out satisfy the rule.
  EXPECT_TRUE(array->DoesVolumeBelongToArray(SerialOf(*array, "db01")));
}

TEST_F(KovaArrayTest, CheckVolumeWithArrayFindsVolumesAndSnapshotsByExactSerial) {
  auto array = Ready();
  const std::string serial = SerialOf(*array, "db02");
  std::string name;
  EXPECT_EQ(0, array->CheckVolumeWithArray(serial, name, false));
  EXPECT_EQ("db02", name);
  std::string lower = serial;
  for (char& c : lower) c = static_cast<char>(std::tolower(c));
  EXPECT_EQ(2, array->CheckVolumeWithArray(lower, name, false));

  std::string snapshot, snapshot_serial;
  ASSERT_EQ(0, array->CreateSnapshot("db02", SetId(), snapshot, snapshot_serial));
  sim_.ClearRequests();
  EXPECT_EQ(0, array->CheckVolumeWithArray(snapshot_serial, name, true));
  EXPECT_EQ(snapshot, name);
  EXPECT_THAT(RequestLines(), ElementsAre("GET /api/1.1/volume?snap=true"));
  EXPECT_EQ(1u, log_.LinesContaining("Found Snapshot serial:" + snapshot_serial).size());
}

TEST_F(KovaArrayTest, CreateSnapshotPostsTheSuffixAndReadsTheSerial) {
  auto array = Ready();
  std::string name, serial;
  ASSERT_EQ(0, array->CreateSnapshot("db01", SetId(), name, serial));
  EXPECT_EQ(std::string("db01.") + kSuffix, name);
  EXPECT_EQ(24u, serial.size());
  ASSERT_THAT(RequestLines(), ElementsAre("POST /api/1.1/volume"));
  const value body = value::parse(sim_.Requests()[0].body);
  EXPECT_EQ(Wide(kSuffix), body.at(U("suffix")).as_string());
  EXPECT_TRUE(body.at(U("snap")).as_bool());
  EXPECT_EQ(U("[\"db01\"]"), body.at(U("source")).serialize());
}

TEST_F(KovaArrayTest, CreateSnapshotReportsFailuresByStatusAndByAnswer) {
  auto array = Ready();
  std::string name, serial = "untouched";
  sim_.InjectFault(StatusFault("POST", "/volume", 400, 1, R"({"msg": "bad"})"));
  try {
    array->CreateSnapshot("db01", SetId(), name, serial);
    FAIL() << "no exception";
  } catch (const KovaStorage::KovaRestException& e) {
    EXPECT_STREQ("HTTP Status Code: 400\tJson Response:{\"msg\":\"bad\"}\n", e.what());
  }
  // An answer that names another snapshot, or one without a serial, is a failure.
  sim_.InjectFault(StatusFault("POST", "/volume", 200, 1, R"([{"name": "other", "serial": "1"}])"));
  EXPECT_EQ(1, array->CreateSnapshot("db01", SetId(), name, serial));
  sim_.InjectFault(StatusFault("POST", "/volume", 200, 1,
                               std::string(R"([{"name": "db01.)") + kSuffix + R"(", "serial": null}])"));
  EXPECT_EQ(1, array->CreateSnapshot("db01", SetId(), name, serial));
  EXPECT_EQ("untouched", serial);
  sim_.InjectFault(StatusFault("POST", "/volume", 200, 1, R"({"name": "x"})"));
  EXPECT_THROW(array->CreateSnapshot("db01", SetId(), name, serial),
               KovaStorage::KovaRestException);
}

TEST_F(KovaArrayTest, CreateSnapshotsAsksForAllVolumesInOneRequestInTheirOrder) {
  auto array = Ready();
  std::vector<std::string> names, serials;
  ASSERT_EQ(0, array->CreateSnapshots({"logs01", "db01", "db02"}, SetId(), names, serials));
  EXPECT_THAT(names, ElementsAre(std::string("logs01.") + kSuffix, std::string("db01.") + kSuffix,
                                 std::string("db02.") + kSuffix));
  ASSERT_THAT(RequestLines(), ElementsAre("POST /api/1.1/volume"));
  const value body = value::parse(sim_.Requests()[0].body);
  EXPECT_EQ(Wide(kSuffix), body.at(U("suffix")).as_string());
  EXPECT_TRUE(body.at(U("snap")).as_bool());
  EXPECT_EQ(U("[\"logs01\",\"db01\",\"db02\"]"), body.at(U("source")).serialize());
  std::string name;
  ASSERT_EQ(3u, serials.size());
  for (size_t i = 0; i < 3; ++i) {
    ASSERT_EQ(0, array->CheckVolumeWithArray(serials[i], name, true)) << serials[i];
    EXPECT_EQ(names[i], name);
  }
}

TEST_F(KovaArrayTest, CreateSnapshotsNeedsEachNameListedOnceWithASerial) {
  auto array = Ready();
  const std::string db01 = std::string("db01.") + kSuffix;
  const std::string db02 = std::string("db02.") + kSuffix;
  const std::string answers[] = {
      "[{\"name\": \"" + db02 + "\", \"serial\": \"B2\"}]",  // db01 missing
      "[{\"name\": \"" + db01 + "\", \"serial\": \"A1\"}, {\"name\": \"" + db01 +
          "\", \"serial\": \"A1\"}, {\"name\": \"" + db02 + "\", \"serial\": \"B2\"}]",  // twice
      "[{\"name\": \"" + db01 + "\", \"serial\": null}, {\"name\": \"" + db02 + "\", \"serial\": \"B2\"}]",
  };
  for (const std::string& answer : answers) {
    sim_.InjectFault(StatusFault("POST", "/volume", 200, 1, answer));
    std::vector<std::string> names, serials;
    EXPECT_EQ(1, array->CreateSnapshots({"db01", "db02"}, SetId(), names, serials)) << answer;
    EXPECT_THAT(names, ElementsAre(db01, db02));
    EXPECT_THAT(serials, ElementsAre("", "B2")) << answer;
  }
  EXPECT_EQ(1u, log_.LinesContaining("Snapshot(" + db01 + ") is missing from the array's answer").size());
  EXPECT_EQ(1u, log_.LinesContaining("Snapshot(" + db01 + ") is listed 2 times in the array's answer").size());
  EXPECT_EQ(1u, log_.LinesContaining("Snapshot(" + db01 + ") has no serial in the array's answer").size());
}

TEST_F(KovaArrayTest, CreateSnapshotsNamesTheSnapshotsBeforeAFailureIsThrown) {
  auto array = Ready();
  std::vector<std::string> names, serials;
  sim_.InjectFault(StatusFault("POST", "/volume", 500, 1, R"({"msg": "bad"})"));
  EXPECT_THROW(array->CreateSnapshots({"db01"}, SetId(), names, serials), KovaStorage::KovaRestException);
  EXPECT_THAT(names, ElementsAre(std::string("db01.") + kSuffix));
  EXPECT_THAT(serials, ElementsAre(""));
  sim_.InjectFault(StatusFault("POST", "/volume", 200, 1, R"({"name": "x"})"));
  EXPECT_THROW(array->CreateSnapshots({"db01"}, SetId(), names, serials), KovaStorage::KovaRestException);
  sim_.ClearRequests();
  EXPECT_THROW(array->CreateSnapshots({}, SetId(), names, serials), std::invalid_argument);
  EXPECT_THAT(RequestLines(), IsEmpty());
}

TEST_F(KovaArrayTest, CreateVolumeCopyCreatesOnceThenFindsTheExistingCopy) {
  auto array = Ready();
  std::string snapshot, snapshot_serial;
  ASSERT_EQ(0, array->CreateSnapshot("db01", SetId(), snapshot, snapshot_serial));
  sim_.ClearRequests();

  std::string copy, serial;
  ASSERT_EQ(0, array->CreateVolumeCopy(snapshot, snapshot_serial, copy, serial));
  EXPECT_EQ("VSS-" + snapshot_serial, copy);
  EXPECT_EQ(24u, serial.size());
  EXPECT_THAT(RequestLines(), ElementsAre("GET /api/1.1/volume/" + copy, "POST /api/1.1/volume/" + copy));
  EXPECT_EQ(value::parse(U("{\"source\":\"") + utility::conversions::to_string_t(snapshot) + U("\"}")),
            value::parse(sim_.Requests()[1].body));

  sim_.ClearRequests();
  std::string again = "untouched";
  ASSERT_EQ(0, array->CreateVolumeCopy(snapshot, snapshot_serial, copy, again));
  EXPECT_EQ("untouched", again);
  EXPECT_THAT(RequestLines(), ElementsAre("GET /api/1.1/volume/" + copy));
}

TEST_F(KovaArrayTest, FindSnapshotIdForVolumeCopyComparesSerialsWithoutCase) {
  auto array = Ready();
  std::string snapshot, snapshot_serial;
  ASSERT_EQ(0, array->CreateSnapshot("logs01", SetId(), snapshot, snapshot_serial));
  std::string lower = snapshot_serial;
  for (char& c : lower) c = static_cast<char>(std::tolower(c));
  std::string serial, name;
  ASSERT_EQ(0, array->FindSnapshotIdForVolumeCopy("VSS-" + lower, serial, name));
  EXPECT_EQ(snapshot_serial, serial);
  EXPECT_EQ(snapshot, name);
  EXPECT_EQ(2, array->FindSnapshotIdForVolumeCopy("VSS-0000", serial, name));
  EXPECT_EQ(2, array->FindSnapshotIdForVolumeCopy("VS", serial, name));
}

TEST_F(KovaArrayTest, DeleteVolumeDestroysAndOnlyThenEradicates) {
  auto array = Ready();
  EXPECT_EQ(0, array->DeleteVolume("db02", false));
  ASSERT_THAT(RequestLines(), ElementsAre("DELETE /api/1.1/volume/db02"));
  EXPECT_EQ(R"({"eradicate":false})", sim_.Requests()[0].body);
  EXPECT_FALSE(array->DoesVolumeNameExist("db02"));

  sim_.ClearRequests();
  EXPECT_EQ(0, array->DeleteVolume("logs01", true));
  ASSERT_THAT(RequestLines(), ElementsAre("DELETE /api/1.1/volume/logs01",
                                          "DELETE /api/1.1/volume/logs01"));
  EXPECT_EQ(R"({"eradicate":true})", sim_.Requests()[1].body);
}

TEST_F(KovaArrayTest, FailedDestroyOrEradicationThrows) {
  auto array = Ready();
  sim_.InjectFault(StatusFault("DELETE", "/volume/db01", 500, 1, R"({"msg": "busy"})"));
  EXPECT_THROW(array->DeleteVolume("db01", true), KovaStorage::KovaRestException);
  EXPECT_TRUE(array->DoesVolumeNameExist("db01"));
  EXPECT_EQ(1u, log_.LinesContaining("Failed to destroy 'db01'").size());

  // The destroy passes, the eradication fails: the volume stays destroyed.
  kova_sim::Fault second = StatusFault("DELETE", "/volume/db02", 500, 1, R"({"msg": "busy"})");
  second.skip = 1;
  sim_.InjectFault(second);
  sim_.ClearRequests();
  EXPECT_THROW(array->DeleteVolume("db02", true), KovaStorage::KovaRestException);
  EXPECT_THAT(RequestLines(), ElementsAre("DELETE /api/1.1/volume/db02", "DELETE /api/1.1/volume/db02"));
  EXPECT_FALSE(array->DoesVolumeNameExist("db02"));
  EXPECT_EQ(1u, log_.LinesContaining("Failed to eradicate 'db02'").size());
}

TEST_F(KovaArrayTest, MapAndUnmapFindThisHostByItsIdentifiers) {
  auto array = Ready();
  EXPECT_EQ(0, array->MapVolume("db01", HostIds()));
  EXPECT_THAT(RequestLines(), ElementsAre("GET /api/1.1/host", "POST /api/1.1/host/vss-host/volume/db01"));
  EXPECT_EQ("", sim_.Requests()[1].body);
  EXPECT_EQ(1u, log_.LinesContaining("KovaArray::MapVolume(): hostId[0] = iqn.1994-05.com.example:vss-host").size());

  sim_.ClearRequests();
  // A WWN alone is enough, and the order of identifiers does not matter.
  EXPECT_EQ(0, array->UnMapVolume("db01", {"zzz", "21000024FF4C2A11"}));
  EXPECT_THAT(RequestLines(), ElementsAre("GET /api/1.1/host", "DELETE /api/1.1/host/vss-host/volume/db01"));
}

TEST_F(KovaArrayTest, AConnectionAlreadyAsAskedForIsNoFailure) {
  auto array = Ready();
  ASSERT_EQ(0, array->MapVolume("db01", HostIds()));
  sim_.ClearRequests();
  // The array refuses to connect again; the connection is there, so it is done.
  EXPECT_EQ(0, array->MapVolume("db01", HostIds()));
  EXPECT_THAT(RequestLines(), ElementsAre("GET /api/1.1/host", "POST /api/1.1/host/vss-host/volume/db01",
                                          "GET /api/1.1/host/vss-host/volume"));
  EXPECT_EQ(1u, log_.LinesContaining("Volume(db01) is connected to host(vss-host)").size());
  ASSERT_EQ(0, array->UnMapVolume("db01", HostIds()));
  EXPECT_EQ(0, array->UnMapVolume("db01", HostIds()));
  EXPECT_EQ(1u, log_.LinesContaining("Volume(db01) is not connected to host(vss-host)").size());
  EXPECT_TRUE(log_.LinesContaining("Failed to connect").empty());
  EXPECT_TRUE(log_.LinesContaining("Failed to disconnect").empty());
}

TEST_F(KovaArrayTest, ARefusedConnectionChangeThatDidNotHappenThrows) {
  auto array = Ready();
  sim_.InjectFault(StatusFault("POST", "/host/vss-host/volume/db01", 500, 1, R"({"msg": "busy"})"));
  EXPECT_THROW(array->MapVolume("db01", HostIds()), KovaStorage::KovaRestException);
  EXPECT_EQ(1u, log_.LinesContaining("Failed to connect host: 'vss-host' with volume: 'db01'").size());
  ASSERT_EQ(0, array->MapVolume("db01", HostIds()));
  sim_.InjectFault(StatusFault("DELETE", "/host/vss-host/volume/db01", 500, 1, R"({"msg": "busy"})"));
  EXPECT_THROW(array->UnMapVolume("db01", HostIds()), KovaStorage::KovaRestException);
  EXPECT_EQ(1u, log_.LinesContaining("Failed to disconnect host: 'vss-host' with volume: 'db01'").size());
  // The check itself failing is a failure too.
  sim_.InjectFault(StatusFault("DELETE", "/host/vss-host/volume/db01", 500, 1, R"({"msg": "busy"})"));
  sim_.InjectFault(StatusFault("GET", "/host/vss-host/volume", 500, 1, R"({"msg": "busy"})"));
  EXPECT_THROW(array->UnMapVolume("db01", HostIds()), KovaStorage::KovaRestException);
  EXPECT_EQ(1u, log_.LinesContaining("Failed to list host connections").size());
}

TEST_F(KovaArrayTest, UnknownHostIsNotFoundAndNothingIsConnected) {
  auto array = Ready();
  std::string host;
  EXPECT_EQ(2, array->GetHostName({"iqn.other", "21000024FF4C2A1"}, host));
  EXPECT_EQ(2, array->GetHostName({}, host));
  sim_.ClearRequests();
  try {
    array->MapVolume("db01", {"iqn.other"});
    FAIL() << "no exception";
  } catch (const KovaStorage::KovaRestException& e) {
    EXPECT_STREQ("Host WWN/iQN information is not available in the KovaArray", e.what());
  }
  EXPECT_THAT(RequestLines(), ElementsAre("GET /api/1.1/host"));
  sim_.InjectFault(StatusFault("GET", "/host", 200, 1, "[]"));
  EXPECT_EQ(2, array->GetHostName(HostIds(), host));
}

TEST_F(KovaArrayTest, CopyVolumeOverwritesTheTarget) {
  auto array = Ready();
  const std::string before = SerialOf(*array, "db02");
  sim_.ClearRequests();
  EXPECT_EQ(0, array->CopyVolume("db01", "db02"));
  ASSERT_THAT(RequestLines(), ElementsAre("POST /api/1.1/volume/db02"));
  const value body = value::parse(sim_.Requests()[0].body);
  EXPECT_EQ(2u, body.size());
  EXPECT_EQ(U("db01"), body.at(U("source")).as_string());
  EXPECT_TRUE(body.at(U("overwrite")).as_bool());
  EXPECT_EQ(before, SerialOf(*array, "db02"));
  EXPECT_THROW(array->CopyVolume("missing", "db02"), KovaStorage::KovaRestException);
}

TEST_F(KovaArrayTest, DoesVolumeNameExistIsTrueOnlyForStatus200) {
  auto array = Ready();
  EXPECT_TRUE(array->DoesVolumeNameExist("db01"));
  EXPECT_FALSE(array->DoesVolumeNameExist("missing"));
  sim_.InjectFault(StatusFault("GET", "/volume/db01", 404));
  EXPECT_FALSE(array->DoesVolumeNameExist("db01"));
  // Answers that neither show the volume nor deny it are failures.
  sim_.InjectFault(StatusFault("GET", "/volume/db01", 500));
  EXPECT_THROW(array->DoesVolumeNameExist("db01"), KovaStorage::KovaRestException);
  kova_sim::Fault not_json = StatusFault("GET", "/volume/db01", 200, 1, "<html>busy</html>");
  not_json.kind = kova_sim::Fault::Kind::kRawBody;
  not_json.content_type = "text/html";
  sim_.InjectFault(not_json);
  EXPECT_THROW(array->DoesVolumeNameExist("db01"), KovaStorage::KovaRestException);
  EXPECT_EQ(2u, log_.LinesContaining("Failed to look up volume 'db01'").size());
  // A session that cannot be opened throws instead of answering.
  sim_.ExpireSessions();
  sim_.InjectFault(StatusFault("POST", "/auth/session", 500));
  EXPECT_THROW(array->DoesVolumeNameExist("db01"), KovaStorage::KovaRestException);
}

TEST_F(KovaArrayTest, GetVolumeSerialIdNeverThrowsForAStatus) {
  auto array = Ready();
  std::string serial = "untouched";
  EXPECT_EQ(2, array->GetVolumeSerialID("missing", serial));
  sim_.InjectFault(StatusFault("GET", "/volume/db01", 200, 1, R"({"name": "db01"})"));
  EXPECT_EQ(2, array->GetVolumeSerialID("db01", serial));
  EXPECT_EQ("untouched", serial);
  EXPECT_EQ(1u, log_.LinesContaining("Failed to get serial number of volume 'missing'").size());
}

TEST_F(KovaArrayTest, ListAnswersOfTheWrongShapeThrow406) {
  auto array = Ready();
  std::string name;
  for (const char* body : {R"({"volumes": []})", "null", "42", R"("text")"}) {
    sim_.InjectFault(StatusFault("GET", "/volume", 200, 1, body));
    try {
      array->CheckVolumeWithArray("X", name, false);
      ADD_FAILURE() << body;
    } catch (const KovaStorage::KovaRestException& e) {
      EXPECT_THAT(e.what(), HasSubstr("HTTP Status Code: 406")) << body;
    }
  }
  // Elements of the wrong type or with null members are passed over.
  sim_.InjectFault(StatusFault("GET", "/volume", 200, 1,
                               R"([1, null, "s", {"serial": null, "name": "a"},
                                   {"serial": "X", "name": null}, {"serial": "X", "name": "b"}])"));
  EXPECT_EQ(0, array->CheckVolumeWithArray("X", name, false));
  EXPECT_EQ("b", name);
}

TEST_F(KovaArrayTest, AnAnswerCutShortIsSentOnceMoreThenAnError) {
  if (const char* reason = NoShortBodyError()) GTEST_SKIP() << reason;
  auto array = Ready();
  std::string name;
  // An answer cut short is no answer: the GET is sent once more.
  kova_sim::Fault truncated;
  truncated.kind = kova_sim::Fault::Kind::kTruncate;
  truncated.path_contains = "/volume";
  sim_.InjectFault(truncated);
  EXPECT_EQ(2, array->CheckVolumeWithArray("X", name, false));
  truncated.times = 2;
  sim_.InjectFault(truncated);
  EXPECT_THROW(array->CheckVolumeWithArray("X", name, false), KovaStorage::KovaRestException);
}

TEST_F(KovaArrayTest, BrokenAnswersGiveTheDocumentedErrors) {
  auto array = Ready();
  std::string name;
  kova_sim::Fault not_json;
  not_json.kind = kova_sim::Fault::Kind::kRawBody;
  not_json.status = 200;
  not_json.body = "[{\"name\": \"db01\", \"serial\": ";
  sim_.InjectFault(not_json);
  EXPECT_THROW(array->CheckVolumeWithArray("X", name, false), KovaStorage::KovaRestException);

  // A large answer is handled as any other.
  std::string huge = "[";
  for (int i = 0; i < 20000; ++i) huge += R"({"name": "v)" + std::to_string(i) + R"(", "serial": "S)" + std::to_string(i) + "\"},";
  huge += R"({"name": "last", "serial": "LAST"}])";
  sim_.InjectFault(StatusFault("GET", "/volume", 200, 1, huge));
  EXPECT_EQ(0, array->CheckVolumeWithArray("LAST", name, false));
  EXPECT_EQ("last", name);

  sim_.InjectFault(StatusFault("GET", "/array", 200, 1, R"({"array_name": "x"})"));
  std::string id;
  EXPECT_THROW(array->GetArrayID(id), KovaStorage::KovaRestException);
  EXPECT_EQ(1u, log_.LinesContaining("Failed to get Array ID").size());
}

TEST_F(KovaArrayTest, ConstructionReadsTheTimeOutBetweenItsEntryAndExitLines) {
  KovaArray array;
  const std::string text = log_.Contents();
  const size_t entering = text.rfind("Entering: KovaArray::KovaArray()");
  const size_t timeout = text.rfind("EXITING: KovaREST::GetRESTTimeOutFromRegistry() Rest Timeout=10");
  const size_t leaving = text.rfind("Leaving: KovaArray::KovaArray()");
  ASSERT_NE(std::string::npos, timeout);
  EXPECT_LT(entering, timeout);
  EXPECT_LT(timeout, leaving);
}

TEST_F(KovaArrayTest, DestroyingAnArrayClosesItsSession) {
  auto array = Ready();
  array.reset();
  EXPECT_THAT(RequestLines(), ElementsAre("DELETE /api/1.1/auth/session"));
}

TEST_F(KovaArrayTest, DestroyingAnArrayWithoutSessionOpensOneToCloseIt) {
  auto array = Ready();
  sim_.ExpireSessions();
  array.reset();
  EXPECT_THAT(RequestLines(), ElementsAre("DELETE /api/1.1/auth/session", "POST /api/1.1/auth/session",
                                          "DELETE /api/1.1/auth/session"));
  // A never-initialised array sends nothing and logs why.
  sim_.ClearRequests();
  { KovaArray unused; }
  EXPECT_TRUE(RequestLines().empty());
  EXPECT_EQ(1u, log_.LinesContaining("KovaArray::DestroySession() failed with Base URI not defined")
                    .size());
}

}  // namespace
