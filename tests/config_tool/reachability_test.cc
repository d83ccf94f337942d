// IsArrayExists through a fake echo facility: where the echo goes and what
// is logged on the way.
#include <gtest/gtest.h>

#include "OstaraRegTool/array_reachability.h"
#include "tests/config_tool/tool_test_fixture.h"

namespace {

class ReachabilityTest : public ToolTest {};

TEST_F(ReachabilityTest, AnAddressIsPingedAsWrittenWithItsPortCutOff) {
  EXPECT_TRUE(IsArrayExists(U("https://10.20.30.40:8443/api")));
  EXPECT_EQ((std::vector<std::string>{"10.20.30.40"}), echo_.resolved);
  EXPECT_EQ((std::vector<uint32_t>{FakeIcmpEcho::Address("10.20.30.40")}), echo_.pinged);
  EXPECT_EQ(EchoPayload(), echo_.last_payload);
  EXPECT_EQ(1000u, echo_.last_timeout_ms);
  EXPECT_TRUE(log_.LinesContaining("IP Address").empty()) << "a literal needs no lookup";
  EXPECT_EQ(1u, log_.LinesContaining("EXITING: IsArrayExists() Result: 1").size());
}

TEST_F(ReachabilityTest, ANameIsResolvedAndItsFirstAddressPinged) {
  echo_.names["array.example.com"] = {FakeIcmpEcho::Address("10.0.0.7"),
                                      FakeIcmpEcho::Address("10.0.0.8")};
  EXPECT_TRUE(IsArrayExists(U("https://array.example.com")));
  EXPECT_EQ((std::vector<uint32_t>{FakeIcmpEcho::Address("10.0.0.7")}), echo_.pinged);
  EXPECT_EQ(1u, log_.LinesContaining("IP Address 1: " +
                                     std::to_string(FakeIcmpEcho::Address("10.0.0.7")))
                    .size());
  EXPECT_TRUE(log_.LinesContaining("IP Address 2").empty());
}

TEST_F(ReachabilityTest, NoReplyNoNameNoSocketsOrNoHandleAllMeanUnreachable) {
  echo_.answers = false;
  EXPECT_FALSE(IsArrayExists(U("https://10.0.0.1")));
  EXPECT_EQ(1u, log_.LinesContaining("EXITING: IsArrayExists() Result: 0").size());
  echo_.answers = true;

  EXPECT_FALSE(IsArrayExists(U("https://no-such-host.invalid")));
  EXPECT_EQ(1u, echo_.pinged.size()) << "nothing to ping";

  echo_.can_open = false;
  EXPECT_FALSE(IsArrayExists(U("https://10.0.0.1")));
  EXPECT_EQ(1u, log_.LinesContaining("Unable to open IcmpCreateFile handle. ERRORCODE: 5").size());

  echo_.sockets_available = false;
  EXPECT_FALSE(IsArrayExists(U("https://10.0.0.1")));
  EXPECT_EQ(1u, log_.LinesContaining("WSAStartup failed: 10091").size());
}

}  // namespace
