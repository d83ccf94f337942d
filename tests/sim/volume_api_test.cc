// Volumes and snapshots: listing, snapshot creation, copies, destruction and
// eradication, through real HTTPS.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <set>

#include "tests/sim/sim_test_fixture.h"

namespace {

using testing::ElementsAre;
using web::json::value;

const char kSuffix[] = "VSS-6B29FC40CA471067B31D00DD010662DA";

class VolumeApiTest : public SimTest {
 protected:
  void SetUp() override {
    SimTest::SetUp();
    Login();
  }

  // The array identity without dashes, upper-cased: what the client keeps.
  std::string IdDigits() const {
    std::string digits;
    for (char c : sim_.ArrayId()) {
      if (c != '-') digits += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return digits;
  }
  void ExpectArraySerial(const std::string& serial) const {
    ASSERT_EQ(24u, serial.size()) << serial;
    EXPECT_TRUE(std::all_of(serial.begin(), serial.end(),
                            [](char c) { return std::isdigit(c) || (c >= 'A' && c <= 'F'); }))
        << serial;
    EXPECT_NE(std::string::npos, IdDigits().find(serial.substr(0, 16))) << serial;
    EXPECT_TRUE(std::all_of(serial.begin() + 16, serial.end(), [](char c) { return std::isdigit(c); }))
        << serial;
  }
  SimResponse Snap(const std::string& sources_json, const std::string& suffix = kSuffix) {
    return Send("POST", "/api/1.1/volume",
                R"({"snap": true, "source": )" + sources_json + R"(, "suffix": ")" + suffix + "\"}");
  }
  std::vector<std::string> VolumeNames() { return Names(Send("GET", "/api/1.1/volume").Json()); }
  std::vector<std::string> SnapshotNames() { return Names(Send("GET", "/api/1.1/volume?snap=true").Json()); }
  std::string SerialOf(const std::string& name) {
    return Send("GET", "/api/1.1/volume/" + name).Json().at("serial").as_string();
  }
};

TEST_F(VolumeApiTest, ListsVolumesInCreationOrderWithSerialsOfThisArray) {
  SimResponse list = Send("GET", "/api/1.1/volume");
  ASSERT_EQ(200, list.status);
  const value volumes = list.Json();
  EXPECT_THAT(Names(volumes), ElementsAre("db01", "db02", "logs01"));
  std::set<std::string> serials;
  for (size_t i = 0; i < volumes.size(); ++i) {
    const value& v = volumes.at(i);
    ExpectArraySerial(v.at("serial").as_string());
    serials.insert(v.at("serial").as_string());
    EXPECT_TRUE(v.at("source").is_null());
    EXPECT_TRUE(v.at("size").is_integer());
    EXPECT_TRUE(v.at("created").is_string());
  }
  EXPECT_EQ(3u, serials.size());
  EXPECT_EQ(int64_t{1} << 40, volumes.at(0).at("size").as_number().to_int64());
  EXPECT_TRUE(Send("GET", "/api/1.1/volume?snap=true").Json().size() == 0);
}

TEST_F(VolumeApiTest, SnapshotsAreNamedAfterTheirVolumeAndSuffix) {
  SimResponse created = Snap(R"(["db01", "logs01"])");
  ASSERT_EQ(200, created.status) << created.body;
  const value snaps = created.Json();
  EXPECT_THAT(Names(snaps), ElementsAre(std::string("db01.") + kSuffix, std::string("logs01.") + kSuffix));
  EXPECT_EQ("db01", snaps.at(0).at("source").as_string());
  EXPECT_EQ("logs01", snaps.at(1).at("source").as_string());
  EXPECT_EQ(int64_t{100} << 30, snaps.at(1).at("size").as_number().to_int64());
  ExpectArraySerial(snaps.at(0).at("serial").as_string());
  EXPECT_NE(snaps.at(0).at("serial").as_string(), SerialOf("db01"));

  EXPECT_THAT(SnapshotNames(), ElementsAre(std::string("db01.") + kSuffix, std::string("logs01.") + kSuffix));
  EXPECT_THAT(VolumeNames(), ElementsAre("db01", "db02", "logs01"));
  SimResponse one = Send("GET", std::string("/api/1.1/volume/db01.") + kSuffix);
  ASSERT_EQ(200, one.status);
  EXPECT_EQ(snaps.at(0).at("serial").as_string(), one.Json().at("serial").as_string());
}

TEST_F(VolumeApiTest, SnapshotCreationIsAllOrNothing) {
  SimResponse unknown = Snap(R"(["db01", "db09"])");
  EXPECT_EQ(400, unknown.status);
  EXPECT_EQ("Volume does not exist.", unknown.Msg());
  EXPECT_EQ(400, Snap(R"(["db01", "db01"])").status);
  EXPECT_TRUE(SnapshotNames().empty());

  ASSERT_EQ(200, Snap(R"(["db02"])").status);
  SimResponse again = Snap(R"(["db01", "db02"])");
  EXPECT_EQ(400, again.status);
  EXPECT_EQ("Snapshot already exists.", again.Msg());
  EXPECT_EQ(1u, SnapshotNames().size());
  EXPECT_EQ(400, Snap(std::string(R"([")") + "db02." + kSuffix + "\"]", "again").status);

  // The source that fails may come last, after ones that would succeed.
  const std::string of_snapshot = std::string(R"(["db01", "logs01", "db02.)") + kSuffix + "\"]";
  EXPECT_EQ("Snapshots can only be made of volumes.", Snap(of_snapshot, "again").Msg());
  ASSERT_EQ(200, Send("DELETE", std::string("/api/1.1/volume/db02.") + kSuffix).status);
  SimResponse destroyed_name = Snap(R"(["db01", "logs01", "db02"])");
  EXPECT_EQ(400, destroyed_name.status);
  EXPECT_EQ("Snapshot already exists.", destroyed_name.Msg());
  EXPECT_TRUE(SnapshotNames().empty());
  EXPECT_EQ(1u, sim_.State().at("destroyed").size());
}

TEST_F(VolumeApiTest, MalformedSnapshotRequestsAreRefused) {
  for (const char* body : {R"({"source": ["db01"], "suffix": "s"})", R"({"snap": false, "source": ["db01"], "suffix": "s"})",
                           R"({"snap": true, "source": "db01", "suffix": "s"})", R"({"snap": true, "source": [], "suffix": "s"})",
                           R"({"snap": true, "source": [1], "suffix": "s"})", R"({"snap": true, "source": ["db01"]})",
                           R"({"snap": true, "source": ["db01"], "suffix": "a.b"})",
                           R"({"snap": true, "source": ["db01"], "suffix": ""})", "[1, 2]", "{\"snap\": tru"}) {
    SimResponse response = Send("POST", "/api/1.1/volume", body);
    EXPECT_EQ(400, response.status) << body;
    EXPECT_FALSE(response.Msg().empty()) << body;
  }
  EXPECT_TRUE(SnapshotNames().empty());
  EXPECT_EQ(400, Send("GET", "/api/1.1/volume?snap=maybe").status);
}

TEST_F(VolumeApiTest, UnknownVolumeLookupAnswers400) {
  SimResponse response = Send("GET", "/api/1.1/volume/db09");
  EXPECT_EQ(400, response.status);
  EXPECT_EQ("Volume does not exist.", response.Msg());
}

TEST_F(VolumeApiTest, CopyOfASnapshotIsANewVolume) {
  ASSERT_EQ(200, Snap(R"(["db02"])").status);
  const std::string snapshot = std::string("db02.") + kSuffix;
  const std::string copy_name = "VSS-" + SerialOf(snapshot);
  SimResponse copy = Send("POST", "/api/1.1/volume/" + copy_name, R"({"source": ")" + snapshot + "\"}");
  ASSERT_EQ(200, copy.status) << copy.body;
  EXPECT_EQ(copy_name, copy.Json().at("name").as_string());
  EXPECT_EQ(snapshot, copy.Json().at("source").as_string());
  EXPECT_EQ(int64_t{512} << 30, copy.Json().at("size").as_number().to_int64());
  ExpectArraySerial(copy.Json().at("serial").as_string());
  EXPECT_NE(SerialOf(snapshot), copy.Json().at("serial").as_string());
  EXPECT_THAT(VolumeNames(), ElementsAre("db01", "db02", "logs01", copy_name));
}

TEST_F(VolumeApiTest, CopyOntoAnExistingVolumeNeedsOverwriteAndKeepsItsSerial) {
  const std::string serial = SerialOf("db02");
  SimResponse refused = Send("POST", "/api/1.1/volume/db02", R"({"source": "db01"})");
  EXPECT_EQ(400, refused.status);
  EXPECT_EQ("Volume already exists.", refused.Msg());
  EXPECT_EQ(400, Send("POST", "/api/1.1/volume/db02", R"({"source": "db01", "overwrite": false})").status);

  SimResponse overwritten = Send("POST", "/api/1.1/volume/db02", R"({"source": "db01", "overwrite": true})");
  ASSERT_EQ(200, overwritten.status);
  EXPECT_EQ(serial, overwritten.Json().at("serial").as_string());
  EXPECT_EQ("db01", overwritten.Json().at("source").as_string());
  EXPECT_EQ(int64_t{1} << 40, overwritten.Json().at("size").as_number().to_int64());
  EXPECT_THAT(VolumeNames(), ElementsAre("db01", "db02", "logs01"));
}

TEST_F(VolumeApiTest, CopyRequestsWithBadSourcesOrNamesChangeNothing) {
  for (const char* body : {R"({"source": "db09"})", R"({"source": 5})", R"({"source": "db01", "overwrite": "yes"})",
                           R"({})", "nonsense"}) {
    EXPECT_EQ(400, Send("POST", "/api/1.1/volume/copy01", body).status) << body;
  }
  EXPECT_EQ(400, Send("POST", "/api/1.1/volume/bad.name", R"({"source": "db01"})").status);
  EXPECT_THAT(VolumeNames(), ElementsAre("db01", "db02", "logs01"));
}

TEST_F(VolumeApiTest, DestroyedVolumesDisappearAndHoldTheirNameUntilEradicated) {
  const std::string serial = SerialOf("db02");
  SimResponse destroyed = Send("DELETE", "/api/1.1/volume/db02", R"({"eradicate": false})");
  ASSERT_EQ(200, destroyed.status);
  EXPECT_EQ("db02", destroyed.Json().at("name").as_string());
  EXPECT_THAT(VolumeNames(), ElementsAre("db01", "logs01"));
  EXPECT_EQ(400, Send("GET", "/api/1.1/volume/db02").status);
  EXPECT_EQ(400, Send("DELETE", "/api/1.1/volume/db02", R"({"eradicate": false})").status);
  EXPECT_EQ(400, Send("POST", "/api/1.1/volume/db02", R"({"source": "db01"})").status);
  EXPECT_EQ(400, Send("POST", "/api/1.1/volume/db02", R"({"source": "db02"})").status);
  EXPECT_EQ("db02", sim_.State().at("destroyed").at(0).as_string());

  ASSERT_EQ(200, Send("DELETE", "/api/1.1/volume/db02", R"({"eradicate": true})").status);
  EXPECT_EQ(0u, sim_.State().at("destroyed").size());
  EXPECT_EQ(400, Send("DELETE", "/api/1.1/volume/db02", R"({"eradicate": true})").status);
  ASSERT_EQ(200, Send("POST", "/api/1.1/volume/db02", R"({"source": "db01"})").status);
  EXPECT_NE(serial, SerialOf("db02"));
}

TEST_F(VolumeApiTest, OnlyDestroyedObjectsCanBeEradicated) {
  SimResponse live = Send("DELETE", "/api/1.1/volume/db01", R"({"eradicate": true})");
  EXPECT_EQ(400, live.status);
  EXPECT_FALSE(live.Msg().empty());
  EXPECT_EQ(400, Send("DELETE", "/api/1.1/volume/db09", R"({"eradicate": true})").status);
  EXPECT_THAT(VolumeNames(), ElementsAre("db01", "db02", "logs01"));
}

TEST_F(VolumeApiTest, DeleteWithoutBodyDestroysAndBadBodiesAreRefused) {
  EXPECT_EQ(400, Send("DELETE", "/api/1.1/volume/db01", R"({"eradicate": "yes"})").status);
  EXPECT_EQ(400, Send("DELETE", "/api/1.1/volume/db01", "true").status);
  EXPECT_THAT(VolumeNames(), ElementsAre("db01", "db02", "logs01"));
  EXPECT_EQ(200, Send("DELETE", "/api/1.1/volume/db01").status);
  EXPECT_THAT(VolumeNames(), ElementsAre("db02", "logs01"));
}

TEST_F(VolumeApiTest, SnapshotsAreDestroyedAndEradicatedLikeVolumes) {
  ASSERT_EQ(200, Snap(R"(["db01"])").status);
  const std::string snapshot = std::string("db01.") + kSuffix;
  ASSERT_EQ(200, Send("DELETE", "/api/1.1/volume/" + snapshot, R"({"eradicate": false})").status);
  EXPECT_TRUE(SnapshotNames().empty());
  EXPECT_EQ(400, Snap(R"(["db01"])").status);
  ASSERT_EQ(200, Send("DELETE", "/api/1.1/volume/" + snapshot, R"({"eradicate": true})").status);
  EXPECT_EQ(200, Snap(R"(["db01"])").status);
}

TEST_F(VolumeApiTest, VolumesCanBeCreatedBySizeOverRestAndInProcess) {
  SimResponse created = Send("POST", "/api/1.1/volume/scratch", R"({"size": 4096})");
  ASSERT_EQ(200, created.status);
  ExpectArraySerial(created.Json().at("serial").as_string());
  EXPECT_EQ(400, Send("POST", "/api/1.1/volume/scratch2", R"({"size": 0})").status);
  EXPECT_EQ(400, Send("POST", "/api/1.1/volume/scratch2", R"({"size": "big"})").status);

  const std::string serial = sim_.AddVolume("added", 8192);
  ExpectArraySerial(serial);
  EXPECT_EQ(serial, SerialOf("added"));
  EXPECT_THROW(sim_.AddVolume("added", 8192), std::invalid_argument);
  EXPECT_THROW(sim_.AddVolume("no good", 8192), std::invalid_argument);
  EXPECT_THAT(VolumeNames(), ElementsAre("db01", "db02", "logs01", "scratch", "added"));
}

}  // namespace
