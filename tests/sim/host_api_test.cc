// Hosts and volume connections, through real HTTPS.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tests/sim/sim_test_fixture.h"

namespace {

using testing::ElementsAre;

kova_sim::SimSeed TwoHostSeed() {
  kova_sim::SimSeed seed = kova_sim::SimSeed::Default();
  seed.hosts.push_back({"fc-only", {}, {"10000000C9ABCDEF"}});
  seed.connections.push_back({"fc-only", "logs01"});
  return seed;
}

class HostApiTest : public SimTest {
 protected:
  HostApiTest() : SimTest(TwoHostSeed()) {}
  void SetUp() override {
    SimTest::SetUp();
    Login();
  }
  SimResponse Connect(const std::string& host, const std::string& volume) {
    return Send("POST", "/api/1.1/host/" + host + "/volume/" + volume);
  }
  SimResponse Disconnect(const std::string& host, const std::string& volume) {
    return Send("DELETE", "/api/1.1/host/" + host + "/volume/" + volume);
  }
};

TEST_F(HostApiTest, ListsHostsInSeedOrderWithTheirInitiators) {
  SimResponse response = Send("GET", "/api/1.1/host");
  ASSERT_EQ(200, response.status);
  const web::json::value hosts = response.Json();
  EXPECT_THAT(Names(hosts), ElementsAre("vss-host", "fc-only"));
  EXPECT_EQ("iqn.1994-05.com.example:vss-host", hosts.at(0).at("iqn").at(0).as_string());
  EXPECT_EQ("21000024FF4C2A10", hosts.at(0).at("wwn").at(0).as_string());
  EXPECT_EQ("21000024FF4C2A11", hosts.at(0).at("wwn").at(1).as_string());
  EXPECT_EQ(0u, hosts.at(1).at("iqn").size());
}

TEST_F(HostApiTest, ConnectingGivesTheLowestFreeLunAndDisconnectingFreesIt) {
  SimResponse first = Connect("vss-host", "db01");
  ASSERT_EQ(200, first.status) << first.body;
  EXPECT_EQ("vss-host", first.Json().at("name").as_string());
  EXPECT_EQ("db01", first.Json().at("vol").as_string());
  EXPECT_EQ(1, first.Json().at("lun").as_integer());
  EXPECT_EQ(2, Connect("vss-host", "db02").Json().at("lun").as_integer());

  SimResponse twice = Connect("vss-host", "db01");
  EXPECT_EQ(400, twice.status);
  EXPECT_EQ("Connection already exists.", twice.Msg());

  SimResponse off = Disconnect("vss-host", "db01");
  ASSERT_EQ(200, off.status);
  EXPECT_EQ("vss-host", off.Json().at("name").as_string());
  EXPECT_EQ("db01", off.Json().at("vol").as_string());
  EXPECT_EQ(400, Disconnect("vss-host", "db01").status);
  EXPECT_EQ(1, Connect("vss-host", "logs01").Json().at("lun").as_integer());

  SimResponse listed = Send("GET", "/api/1.1/host/vss-host/volume");
  ASSERT_EQ(200, listed.status);
  EXPECT_EQ(2u, listed.Json().size());
}

TEST_F(HostApiTest, ConnectedVolumesCannotBeDestroyed) {
  SimResponse seeded = Send("DELETE", "/api/1.1/volume/logs01");
  EXPECT_EQ(400, seeded.status);
  EXPECT_EQ("Volume has host connections.", seeded.Msg());
  ASSERT_EQ(200, Disconnect("fc-only", "logs01").status);
  EXPECT_EQ(200, Send("DELETE", "/api/1.1/volume/logs01").status);
}

TEST_F(HostApiTest, ConnectionsNeedAKnownHostAndALiveVolume) {
  SimResponse no_host = Connect("nobody", "db01");
  EXPECT_EQ(400, no_host.status);
  EXPECT_EQ("Host does not exist.", no_host.Msg());
  SimResponse no_volume = Connect("vss-host", "db09");
  EXPECT_EQ(400, no_volume.status);
  EXPECT_EQ("Volume does not exist.", no_volume.Msg());
  ASSERT_EQ(200, Send("POST", "/api/1.1/volume", R"({"snap": true, "source": ["db01"], "suffix": "s1"})").status);
  EXPECT_EQ(400, Connect("vss-host", "db01.s1").status);
  ASSERT_EQ(200, Send("DELETE", "/api/1.1/volume/db02").status);
  EXPECT_EQ(400, Connect("vss-host", "db02").status);
  EXPECT_EQ(400, Disconnect("nobody", "db01").status);
  EXPECT_EQ(400, Send("GET", "/api/1.1/host/nobody/volume").status);
  EXPECT_EQ(1u, sim_.State().at("connections").size());
}

TEST_F(HostApiTest, HostsAddedAtRunTimeAreListedAndUsable) {
  sim_.AddHost("late", {"iqn.2000-01.com.example:late"}, {});
  EXPECT_THAT(Names(Send("GET", "/api/1.1/host").Json()), ElementsAre("vss-host", "fc-only", "late"));
  EXPECT_EQ(200, Connect("late", "db01").status);
  EXPECT_THROW(sim_.AddHost("late", {}, {}), std::invalid_argument);
  EXPECT_THROW(sim_.AddHost("thief", {}, {"10000000C9ABCDEF"}), std::invalid_argument);
  EXPECT_THROW(sim_.AddHost("bad name", {}, {}), std::invalid_argument);
}

}  // namespace
