// Seeds: the default demo array, the example file, and the errors a bad
// seed file gets.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>

#include "tests/support/temp_dir.h"
#include "tools/KovaArraySim/array_sim.h"
#include "tools/KovaArraySim/seed_validator.h"

namespace {

using kova_sim::ArraySim;
using kova_sim::SimSeed;
using testing::ElementsAre;
using testing::HasSubstr;

std::vector<std::string> VolumeNames(const web::json::value& state, const char* list) {
  std::vector<std::string> names;
  for (size_t i = 0; i < state.at(list).size(); ++i) names.push_back(state.at(list).at(i).at("name").as_string());
  return names;
}

TEST(SeedTest, DefaultSeedIsTheDemoArray) {
  const SimSeed seed = SimSeed::Default();
  EXPECT_NO_THROW(kova_sim::ValidateSeed(seed));
  EXPECT_THAT(seed.versions, ElementsAre("1.0", "1.1", "1.2"));
  ASSERT_EQ(1u, seed.users.size());
  EXPECT_EQ("admin", seed.users[0].username);
  EXPECT_EQ("admin-password", seed.users[0].password);
  EXPECT_FALSE(seed.users[0].api_token.empty());
  ASSERT_EQ(1u, seed.hosts.size());
  EXPECT_EQ("vss-host", seed.hosts[0].name);
  EXPECT_THAT(seed.hosts[0].iqn, ElementsAre("iqn.1994-05.com.example:vss-host"));
  EXPECT_THAT(seed.hosts[0].wwn, ElementsAre("21000024FF4C2A10", "21000024FF4C2A11"));
  EXPECT_THAT(VolumeNames(ArraySim(seed).State(), "volumes"), ElementsAre("db01", "db02", "logs01"));
}

TEST(SeedTest, ExampleFileLoadsWithItsSerialsKeptAndTheRestAssigned) {
  const SimSeed seed = ArraySim::LoadSeedFile(KOVA_SIM_EXAMPLE_SEED);
  EXPECT_EQ("lab-array-02", seed.array_name);
  ArraySim sim(seed);
  const web::json::value state = sim.State();
  EXPECT_THAT(VolumeNames(state, "volumes"), ElementsAre("sql-data", "sql-logs", "exchange01"));
  EXPECT_THAT(VolumeNames(state, "snapshots"), ElementsAre("sql-data.nightly-1"));
  EXPECT_EQ("A1C56D0E8B2F4A9700000100", state.at("volumes").at(2).at("serial").as_string());
  EXPECT_EQ("A1C56D0E8B2F4A9700000001", state.at("volumes").at(0).at("serial").as_string());
  EXPECT_EQ("sql-data", state.at("snapshots").at(0).at("source").as_string());
  EXPECT_EQ(3u, state.at("connections").size());
  EXPECT_EQ(2, sim.Latency().request_ms);
  EXPECT_EQ(40, sim.Latency().snapshot_ms);
}

TEST(SeedTest, AssignedSerialsSkipSeededOnes) {
  SimSeed seed = SimSeed::Default();
  seed.array_id = "a1b2c3d4-e5f6-a7b8-c9d0-e1f2a3b4c5d6";
  seed.volumes[0].serial = "C9D0E1F2A3B4C5D600000002";
  const web::json::value volumes = ArraySim(seed).State().at("volumes");
  EXPECT_EQ("C9D0E1F2A3B4C5D600000002", volumes.at(0).at("serial").as_string());
  EXPECT_EQ("C9D0E1F2A3B4C5D600000001", volumes.at(1).at("serial").as_string());
  EXPECT_EQ("C9D0E1F2A3B4C5D600000003", volumes.at(2).at("serial").as_string());
}

class BadSeedFileTest : public testing::Test {
 protected:
  // The message LoadSeedFile gives for a file with this text.
  std::string ErrorFor(const std::string& text) {
    const std::string path = dir_.str() + "/seed.json";
    std::ofstream(path, std::ios::trunc) << text;
    try {
      ArraySim::LoadSeedFile(path);
    } catch (const std::runtime_error& e) {
      EXPECT_THAT(e.what(), HasSubstr(path));
      return e.what();
    }
    ADD_FAILURE() << "accepted: " << text;
    return "";
  }
  TempDir dir_;
};

const char kArray[] = R"("array": {"id": "6f1c2a9e-4b7d-4c3a-9e25-8d0b7a4f1e63", "name": "a"}, "versions": ["1.1"])";

std::string Seed(const std::string& members) { return std::string("{") + kArray + members + "}"; }

TEST_F(BadSeedFileTest, SyntaxAndTypeErrorsNameTheMember) {
  const std::pair<std::string, const char*> cases[] = {
      {"{\"array\": ", "not valid JSON"},
      {"[]", "seed: must be a JSON object"},
      {R"({"versions": ["1.1"]})", "array: is missing"},
      {R"({"array": {"id": 12, "name": "a"}, "versions": ["1.1"]})", "array.id: must be a string"},
      {R"({"array": {"id": "6f1c2a9e-4b7d-4c3a-9e25-8d0b7a4f1e63"}, "versions": ["1.1"]})", "array.name: is missing"},
      {R"({"array": {"id": "6f1c2a9e-4b7d-4c3a-9e25-8d0b7a4f1e63", "name": "a"}, "versions": [1.1]})",
       "versions[0]: must be a string"},
      {Seed(R"(, "volume": [])"), "volume: unknown member"},
      {Seed(R"(, "users": {})"), "users: must be a list"},
      {Seed(R"(, "users": [{"username": "u", "api_token": "t"}])"), "users[0].password: is missing"},
      {Seed(R"(, "volumes": [{"name": "v", "size": 1}, {"name": "w", "size": "big"}])"), "volumes[1].size: must be an integer"},
      {Seed(R"(, "volumes": [{"name": "v", "size": 1.5}])"), "volumes[0].size: must be an integer"},
      {Seed(R"(, "hosts": [{"name": "h", "wwn": [5]}])"), "hosts[0].wwn[0]: must be a string"},
      {Seed(R"(, "connections": ["h"])"), "connections[0]: must be a JSON object"},
      {Seed(R"(, "latency": [])"), "latency: must be a JSON object"},
      {Seed(R"(, "latency": {"request_ms": "5"})"), "latency.request_ms: must be an integer"},
      {Seed(R"(, "latency": {"snapshot_ms": 0.5})"), "latency.snapshot_ms: must be an integer"},
      {Seed(R"(, "latency": {"per_lun_ms": 5})"), "latency.per_lun_ms: unknown member"},
  };
  for (const auto& c : cases) EXPECT_THAT(ErrorFor(c.first), HasSubstr(c.second)) << c.first;
}

TEST_F(BadSeedFileTest, InconsistentContentNamesTheMember) {
  const std::pair<std::string, const char*> cases[] = {
      {R"({"array": {"id": "6f1c2a9e-4b7d", "name": "a"}, "versions": ["1.1"]})", "array.id: must be a UUID"},
      {R"({"array": {"id": "6f1c2a9e-4b7d-4c3a-9e25-8d0b7a4f1e63", "name": "a"}, "versions": []})", "versions: must list"},
      {Seed(R"(, "users": [{"username": "u", "password": "p", "api_token": "t"}, {"username": "u", "password": "p", "api_token": "s"}])"),
       "users[1].username: repeats"},
      {Seed(R"(, "volumes": [{"name": "v", "size": 0}])"), "volumes[0].size: must be a positive"},
      {Seed(R"(, "volumes": [{"name": "bad name", "size": 1}])"), "volumes[0].name: is not a valid name"},
      {Seed(R"(, "volumes": [{"name": "v", "size": 1}, {"name": "v", "size": 1}])"), "volumes[1].name: repeats"},
      {Seed(R"(, "volumes": [{"name": "v", "size": 1, "serial": "XYZ"}])"), "volumes[0].serial"},
      {Seed(R"(, "volumes": [{"name": "v", "size": 1, "serial": "AB"}, {"name": "w", "size": 1, "serial": "AB"}])"),
       "volumes[1].serial: repeats"},
      {Seed(R"(, "snapshots": [{"name": "v.s", "source": "v"}])"), "snapshots[0].source: unknown volume \"v\""},
      {Seed(R"(, "volumes": [{"name": "v", "size": 1}], "snapshots": [{"name": "w.s", "source": "v"}])"), "snapshots[0].name"},
      {Seed(R"(, "hosts": [{"name": "h", "wwn": ["A"]}, {"name": "g", "iqn": [], "wwn": ["A"]}])"),
       "hosts[1].wwn[0]: \"A\" is used by another host"},
      {Seed(R"(, "connections": [{"host": "h", "volume": "v"}])"), "connections[0].host: unknown host"},
      {Seed(R"(, "hosts": [{"name": "h"}], "connections": [{"host": "h", "volume": "v"}])"),
       "connections[0].volume: unknown volume"},
      {Seed(R"(, "latency": {"request_ms": -1})"), "latency.request_ms: must be 0 to 60000 milliseconds"},
      {Seed(R"(, "latency": {"snapshot_ms": 60001})"), "latency.snapshot_ms: must be 0 to 60000 milliseconds"},
  };
  for (const auto& c : cases) EXPECT_THAT(ErrorFor(c.first), HasSubstr(c.second)) << c.first;
}

TEST_F(BadSeedFileTest, UnreadableFilesAreReported) {
  for (const std::string& path : {dir_.str() + "/missing.json", dir_.str()}) {
    try {
      ArraySim::LoadSeedFile(path);
      ADD_FAILURE() << "accepted " << path;
    } catch (const std::runtime_error& e) {
      EXPECT_THAT(e.what(), HasSubstr("seed file \"" + path + "\""));
    }
  }
}

TEST(SeedTest, InProcessSeedsAreValidatedToo) {
  SimSeed seed = SimSeed::Default();
  seed.connections.push_back({"vss-host", "db09"});
  EXPECT_THROW(ArraySim sim(seed), std::invalid_argument);
  SimSeed slow = SimSeed::Default();
  slow.latency.snapshot_ms = 60001;
  EXPECT_THROW(ArraySim sim(slow), std::invalid_argument);
}

}  // namespace
