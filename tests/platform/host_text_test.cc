// The host identity file formats, parsed from bytes.
#include <gtest/gtest.h>

#include <string>

#include "platform/host_files.h"
#include "platform/initiator_name_text.h"
#include "platform/kvp_pool.h"
#include "tests/support/host_root.h"

namespace {

using identity_test::HostRoot;
using platform::WorldWideName;

TEST(InitiatorNameFileTest, FirstNamedLineWins) {
  EXPECT_EQ("iqn.1994-05.com.example:vss-host",
            platform::ParseInitiatorNameFile("## DO NOT EDIT OR REMOVE THIS FILE!\n"
                                             "# InitiatorName=iqn.commented:out\n"
                                             "\n"
                                             "InitiatorName=iqn.1994-05.com.example:vss-host\n"
                                             "InitiatorName=iqn.second:line\n"));
}

TEST(InitiatorNameFileTest, BlanksAroundKeyAndNameAreIgnored) {
  EXPECT_EQ("iqn.a:b", platform::ParseInitiatorNameFile("  InitiatorName = iqn.a:b \r\n"));
  EXPECT_EQ("iqn.a:b", platform::ParseInitiatorNameFile("\tInitiatorName=iqn.a:b"));
}

TEST(InitiatorNameFileTest, LinesThatNameNothingGiveNoName) {
  EXPECT_EQ("", platform::ParseInitiatorNameFile(""));
  EXPECT_EQ("", platform::ParseInitiatorNameFile("#InitiatorName=iqn.a:b\n"));
  EXPECT_EQ("", platform::ParseInitiatorNameFile("InitiatorName=\nInitiatorName=   \n"));
  EXPECT_EQ("", platform::ParseInitiatorNameFile("InitiatorAlias=host\n"));
  EXPECT_EQ("", platform::ParseInitiatorNameFile("InitiatorNameX=iqn.a:b\ninitiatorname=iqn.c\n"));
  EXPECT_EQ("", platform::ParseInitiatorNameFile(std::string("\0\0\0", 3)));
}

TEST(FcPortNameTest, KernelTextBecomesEightBytesMostSignificantFirst) {
  WorldWideName wwn{};
  ASSERT_TRUE(platform::ParseFcPortName("0x21000024ff4c2a10\n", &wwn));
  EXPECT_EQ((WorldWideName{0x21, 0x00, 0x00, 0x24, 0xFF, 0x4C, 0x2A, 0x10}), wwn);
  ASSERT_TRUE(platform::ParseFcPortName("0x2a10\n", &wwn));
  EXPECT_EQ((WorldWideName{0, 0, 0, 0, 0, 0, 0x2A, 0x10}), wwn);
  ASSERT_TRUE(platform::ParseFcPortName("500A0981", &wwn));
  EXPECT_EQ((WorldWideName{0, 0, 0, 0, 0x50, 0x0A, 0x09, 0x81}), wwn);
}

TEST(FcPortNameTest, OtherTextIsRefusedAndLeavesTheNameAlone) {
  const WorldWideName before = {1, 2, 3, 4, 5, 6, 7, 8};
  for (const char* text : {"", "0x", "\n", "0x1ffffffffffffffff", "0x21:00:00:24", "unknown",
                           "0x21000024ff4c2a1g", "- 0x1"}) {
    WorldWideName wwn = before;
    EXPECT_FALSE(platform::ParseFcPortName(text, &wwn)) << text;
    EXPECT_EQ(before, wwn) << text;
  }
}

TEST(KvpPoolTest, RecordsAreReadInFileOrderUpToTheirNuls) {
  const std::string pool = HostRoot::KvpRecord("VirtualMachineName", "sql-guest") +
                           std::string(platform::kKvpRecordSize, '\0') +
                           HostRoot::KvpRecord("VirtualMachineId", "4B2C-11");
  const auto records =
      platform::ParseKvpPool(reinterpret_cast<const uint8_t*>(pool.data()), pool.size());
  ASSERT_EQ(2u, records.size());
  EXPECT_EQ("VirtualMachineName", records[0].key);
  EXPECT_EQ("sql-guest", records[0].value);
  EXPECT_EQ("VirtualMachineId", records[1].key);
  std::string value;
  EXPECT_TRUE(platform::FindKvpValue(records, "VirtualMachineId", &value));
  EXPECT_EQ("4B2C-11", value);
  EXPECT_FALSE(platform::FindKvpValue(records, "virtualmachineid", &value));
}

TEST(KvpPoolTest, FieldsWithoutNulsAndPartialRecords) {
  std::string full(platform::kKvpRecordSize, 'k');
  full.replace(platform::kKvpKeySize, platform::kKvpValueSize,
               std::string(platform::kKvpValueSize, 'v'));
  const std::string pool = full + HostRoot::KvpRecord("Partial", "x").substr(0, 600);
  const auto records =
      platform::ParseKvpPool(reinterpret_cast<const uint8_t*>(pool.data()), pool.size());
  ASSERT_EQ(1u, records.size());
  EXPECT_EQ(platform::kKvpKeySize, records[0].key.size());
  EXPECT_EQ(platform::kKvpValueSize, records[0].value.size());
  EXPECT_TRUE(platform::ParseKvpPool(nullptr, 5000).empty());
}

TEST(HostFilesTest, PathsHangBelowTheRoot) {
  EXPECT_EQ("/etc/iscsi/initiatorname.iscsi",
            platform::HostFiles{}.Path(platform::kInitiatorNameFile));
  EXPECT_EQ("/tmp/x/sys/class/fc_host",
            platform::HostFiles{"/tmp/x/"}.Path(platform::kFcHostDirectory));
  EXPECT_EQ("/sys/class/block", platform::HostFiles{""}.Path(platform::kBlockClassDirectory));
}

}  // namespace
