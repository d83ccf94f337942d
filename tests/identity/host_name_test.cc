// This host's initiator names read from host file trees the tests lay out:
// the IQN, several Fibre Channel ports, and the fallback to the physical
// host inside a Hyper-V guest.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "provider/identity/host_name.h"
#include "provider/identity/hyperv_guest_info.h"
#include "tests/support/host_root.h"
#include "tests/support/scoped_test_log.h"

namespace {

using identity_test::HostRoot;
using Names = std::vector<std::string>;

constexpr char kIqn[] = "iqn.1994-05.com.example:vss-host";

class HostNameTest : public testing::Test {
 protected:
  void SetUp() override {
    if (const char* reason = HostRoot::NoHostFiles()) GTEST_SKIP() << reason;
  }
  void WriteIqn(const std::string& text) { root_.Write("/etc/iscsi/initiatorname.iscsi", text); }

  void MakeGuest(const std::string& name_key = "VirtualMachineName") {
    root_.Write(
        "/var/lib/hyperv/.kvp_pool_3",
        HostRoot::KvpRecord("PhysicalHostNameFullyQualified", "hv01.example.com") +
            HostRoot::KvpRecord("VirtualMachineId", "0F3E2D1C-AAAA-BBBB-CCCC-0123456789AB") +
            HostRoot::KvpRecord(name_key, "sql-guest"));
  }

  size_t Logged(const std::string& text) const { return log_.LinesContaining(text).size(); }

  HostRoot root_;
  ScopedTestLog log_{LOG_DEBUG};
  Names names_ = {"stale"};
};

TEST_F(HostNameTest, IscsiBusGivesTheInitiatorName) {
  WriteIqn("## generated\nInitiatorName=" + std::string(kIqn) + "\n");
  EXPECT_EQ(0, GetHostName(9, names_));
  EXPECT_EQ(Names{kIqn}, names_);
  EXPECT_EQ(1u, Logged("LocateLuns: Retrieving IQN for host..."));
  EXPECT_EQ(1u, Logged("Obtained WMI Property value: iqn.1994-05.com.example:vss-host"));
}

TEST_F(HostNameTest, MissingOrCommentedInitiatorNameIsNotFound) {
  EXPECT_EQ(5, GetHostIqn(names_, utility::string_t()));
  EXPECT_TRUE(names_.empty());
  WriteIqn("#InitiatorName=" + std::string(kIqn) + "\n");
  EXPECT_EQ(5, GetHostName(9, names_));
  EXPECT_TRUE(names_.empty());
  EXPECT_EQ(2u, Logged("WMI property not found"));
}

TEST_F(HostNameTest, EveryFibreChannelPortGivesAPaddedUpperCaseWwn) {
  root_.AddFcHost(10, "0x21000024ff4c2a11\n");
  root_.AddFcHost(2, "0x21000024ff4c2a10\n");
  root_.AddFcHost(3, "0x2a10\n");
  root_.Write("/sys/class/fc_host/power/async", "disabled\n");
  EXPECT_EQ(0, GetHostName(6, names_));
  EXPECT_EQ((Names{"21000024FF4C2A10", "0000000000002A10", "21000024FF4C2A11"}), names_);
  EXPECT_EQ(1u, Logged("LocateLuns: Retrieving WWN for host..."));
}

TEST_F(HostNameTest, PortWithUnreadableNameCountsAsEmpty) {
  root_.AddFcHost(1, "0x21000024ff4c2a10\n");
  root_.AddFcHost(4, "garbage\n");
  EXPECT_EQ(0, GetHostWwn(names_, utility::string_t()));
  EXPECT_EQ((Names{"21000024FF4C2A10", "EMPTY"}), names_);
}

TEST_F(HostNameTest, NoFibreChannelHostIsNotFound) {
  EXPECT_EQ(5, GetHostName(6, names_));
  EXPECT_TRUE(names_.empty());
}

TEST_F(HostNameTest, OtherBusOnAPhysicalMachineAsksNothing) {
  WriteIqn(std::string("InitiatorName=") + kIqn);
  EXPECT_EQ(4, GetHostName(1, names_));
  EXPECT_EQ(1u, Logged("GetHostName: NOT iSCSI NOR FC BusType=1 encountered!"));
  EXPECT_EQ(0u, Logged("ENTERING: GetPropValue()"));
  EXPECT_EQ(0u, Logged("running under HyperV"));
}

TEST_F(HostNameTest, GuestAsksThePhysicalHostWhenTheLocalQueryFails) {
  MakeGuest();
  EXPECT_EQ(3, GetHostName(9, names_));
  EXPECT_EQ(1u, Logged("GetHostName: Machine is running under HyperV!. HostName=hv01.example.com, "
                       "VMId=0F3E2D1C-AAAA-BBBB-CCCC-0123456789AB, VMName=sql-guest"));
  EXPECT_EQ(1u, Logged("WMI property not found"));
  // Nothing answers remote queries here: the physical host is unreachable.
  EXPECT_EQ(1u, Logged("WMI Connection failed. Result: 800706ba"));
}

TEST_F(HostNameTest, GuestWhoseLocalQuerySucceedsStaysLocal) {
  MakeGuest();
  root_.AddFcHost(0, "0x10000090fa1b2c3d");
  EXPECT_EQ(0, GetHostName(6, names_));
  EXPECT_EQ(Names{"10000090FA1B2C3D"}, names_);
  EXPECT_EQ(0u, Logged("WMI Connection failed"));
}

TEST_F(HostNameTest, OtherBusInAGuestTriesThePhysicalHostsWwnThenIqn) {
  MakeGuest();
  WriteIqn(std::string("InitiatorName=") + kIqn);
  EXPECT_EQ(3, GetHostName(1, names_));
  EXPECT_EQ(2u, Logged("WMI Connection failed. Result: 800706ba"));
  EXPECT_EQ(0u, Logged("Obtained WMI Property value"));
}

TEST_F(HostNameTest, PoolWithoutTheVmNameIsNoGuest) {
  MakeGuest("VirtualMachineNameX");
  EXPECT_EQ(4, GetHostName(1, names_));
  EXPECT_EQ(0u, Logged("running under HyperV"));
}

TEST(HyperVGuestInfoTest, ThreeFactsAreReadFromThePool) {
  if (const char* reason = HostRoot::NoHostFiles()) GTEST_SKIP() << reason;
  HostRoot root;
  root.Write("/var/lib/hyperv/.kvp_pool_3",
             HostRoot::KvpRecord("VirtualMachineName", "vm") +
                 HostRoot::KvpRecord("HostingSystemEditionId", "8") +
                 HostRoot::KvpRecord("VirtualMachineId", "id-1") +
                 HostRoot::KvpRecord("PhysicalHostNameFullyQualified", "hv.example.com"));
  HyperVGuestInfo info;
  ASSERT_TRUE(info.Load());
  EXPECT_EQ(_XPLATSTR("hv.example.com"), info.hostName);
  EXPECT_EQ(_XPLATSTR("id-1"), info.vmId);
  EXPECT_EQ(_XPLATSTR("vm"), info.vmName);
}

TEST(HyperVGuestInfoTest, MissingTruncatedOrOverlongPoolsLeaveTheFieldsAlone) {
  if (const char* reason = HostRoot::NoHostFiles()) GTEST_SKIP() << reason;
  HostRoot root;
  HyperVGuestInfo info;
  info.hostName = _XPLATSTR("previous");
  EXPECT_FALSE(info.Load());  // no pool file

  const std::string pool = HostRoot::KvpRecord("PhysicalHostNameFullyQualified", "hv") +
                           HostRoot::KvpRecord("VirtualMachineId", "id") +
                           HostRoot::KvpRecord("VirtualMachineName", "vm");
  root.Write("/var/lib/hyperv/.kvp_pool_3", pool.substr(0, pool.size() - 1));
  EXPECT_FALSE(info.Load());

  root.Write("/var/lib/hyperv/.kvp_pool_3",
             HostRoot::KvpRecord("PhysicalHostNameFullyQualified", std::string(261, 'h')) +
                 pool.substr(platform::kKvpRecordSize));
  EXPECT_FALSE(info.Load());
  EXPECT_EQ(_XPLATSTR("previous"), info.hostName);

  root.Write("/var/lib/hyperv/.kvp_pool_3",
             HostRoot::KvpRecord("PhysicalHostNameFullyQualified", std::string(260, 'h')) +
                 pool.substr(platform::kKvpRecordSize));
  EXPECT_TRUE(info.Load());
  EXPECT_EQ(260u, info.hostName.size());
}

TEST(ManagementNamespaceTest, RemoteMachinesArePrefixedWithTwoBackslashes) {
  EXPECT_EQ(_XPLATSTR("root\\WMI"), ManagementNamespace(utility::string_t()));
  EXPECT_EQ(_XPLATSTR("\\\\hv01.example.com\\root\\WMI"),
            ManagementNamespace(_XPLATSTR("hv01.example.com")));
}

}  // namespace
