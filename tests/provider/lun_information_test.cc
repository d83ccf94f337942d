// Reading LUN records and filling the target records handed to VSS,
// without an array.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "provider/lun/lun_record.h"
#include "provider/lun/lun_volume_name.h"
#include "provider/vss/lun_information.h"
#include "tests/provider/lun_records.h"
#include "tests/support/scoped_test_log.h"

using testing::ElementsAre;
using testing::HasSubstr;

namespace {

LunSpec LunWithVendor(const std::string& vendor) {
  LunSpec wanted;
  wanted.serial = "9E258D0B7A4F1E6300000001";
  wanted.volume_name = "db01";
  wanted.vendor = vendor;
  return wanted;
}

TEST(LunVendorTest, OnlyTheFourUpperCaseLettersCount) {
  ScopedTestLog log(LOG_DEBUG);
  LunRecordArray luns = MakeLunRecords({LunWithVendor("KOVA    "), LunWithVendor("KOVAXYZ"), LunWithVendor("kova    "), LunWithVendor("KOV"), LunWithVendor("")});
  EXPECT_TRUE(IsKovaLun(luns[0]));
  EXPECT_TRUE(IsKovaLun(luns[1]));
  EXPECT_FALSE(IsKovaLun(luns[2]));
  EXPECT_FALSE(IsKovaLun(luns[3]));
  EXPECT_FALSE(IsKovaLun(luns[4]));
  CoTaskMemFree(luns[4].m_szVendorId);
  luns[4].m_szVendorId = nullptr;
  EXPECT_FALSE(IsKovaLun(luns[4]));
  EXPECT_EQ(1u, log.LinesContaining("Non KOVA Lun encountered. VendorId=kova    ").size());
  EXPECT_EQ(1u, log.LinesContaining("Non KOVA Lun encountered. VendorId=KOV").size());
  EXPECT_EQ(4u, log.LinesContaining("Non KOVA Lun encountered.").size());
}

TEST(VolumeNameIdentifierTest, TheFirstAsciiVendorSpecificIdentifierWithBytesGivesTheName) {
  LunSpec wanted = LunWithVendor("KOVA    ");
  LunRecordArray luns = MakeLunRecords({wanted});
  std::string name;
  ASSERT_TRUE(ReadVolumeNameIdentifier(luns[0], name));
  EXPECT_EQ("db01", name);

  // Not ASCII: not a name.
  luns[0].m_deviceIdDescriptor.m_rgIdentifiers[1].m_CodeSet = VDSStorageIdCodeSetBinary;
  EXPECT_FALSE(ReadVolumeNameIdentifier(luns[0], name));
  // No bytes counted: not a name either.
  luns[0].m_deviceIdDescriptor.m_rgIdentifiers[1].m_CodeSet = VDSStorageIdCodeSetAscii;
  luns[0].m_deviceIdDescriptor.m_rgIdentifiers[1].m_cbIdentifier = 0;
  EXPECT_FALSE(ReadVolumeNameIdentifier(luns[0], name));
  // The text ends at its byte count even without a NUL.
  luns[0].m_deviceIdDescriptor.m_rgIdentifiers[1].m_cbIdentifier = 2;
  ASSERT_TRUE(ReadVolumeNameIdentifier(luns[0], name));
  EXPECT_EQ("db", name);
  // A list counted but absent is not read.
  luns[0].m_deviceIdDescriptor.m_rgIdentifiers[1].m_cbIdentifier = 5;
  VDS_STORAGE_IDENTIFIER* list = luns[0].m_deviceIdDescriptor.m_rgIdentifiers;
  luns[0].m_deviceIdDescriptor.m_rgIdentifiers = nullptr;
  EXPECT_FALSE(ReadVolumeNameIdentifier(luns[0], name));
  luns[0].m_deviceIdDescriptor.m_rgIdentifiers = list;
}

TEST(VolumeNameIdentifierTest, NamesThatCannotStandInARequestPathAreRefused) {
  for (const std::string& good : std::vector<std::string>{"db01", "db01.VSS-0123456789ABCDEF0123456789ABCDEF", "a_b-c",
                                 std::string(255, 'v')}) {
    EXPECT_TRUE(IsUsableVolumeName(good)) << good;
  }
  for (const std::string& bad : std::vector<std::string>{"", "../host", ".hidden", "-x", "db01/../x", "db01?snap=true",
                                "db 01", "db%2F01", std::string(256, 'v')}) {
    EXPECT_FALSE(IsUsableVolumeName(bad)) << bad;
  }
}

TEST(LunDumpTest, TheDumpListsFieldsIdentifiersAndInterconnects) {
  LunSpec wanted = LunWithVendor("KOVA    ");
  wanted.with_interconnect = true;
  LunRecordArray luns = MakeLunRecords({wanted});
  EXPECT_EQ(
      "\n------ VDS Lun Info for volume (name=db01, serial=9E258D0B7A4F1E6300000001) ------\n"
      "Serial No:9E258D0B7A4F1E6300000001, Product Revision:8888, Product Id:Lumenstack      , "
      "Vendor Id:KOVA    \n"
      "Identifiers Count:2\n"
      "Identifier #0: Codeset:1, Type:2, Size:8, Data:#NotASCII#\n"
      "Identifier #1: Codeset:2, Type:0, Size:5, Data:db01 \n"
      "Interconnects Count:1\n"
      "Interconnect #0\n"
      ": Address Type:5, Port size:33, Address size:15, Port:iqn.1994-05.com.example:vss-host, "
      "Address:127.0.0.1:3260\n",
      FormatLunInformation("VDS Lun Info for volume (name=db01, serial=9E258D0B7A4F1E6300000001)",
                           luns[0]));
}

TEST(LunDumpTest, EmptyListsAreLeftOutAndMissingTextsPrintEmpty) {
  LunRecordArray luns;
  AddEmptyLuns(luns, 1);
  EXPECT_EQ("\n------ t ------\nSerial No:, Product Revision:, Product Id:, Vendor Id:\n",
            FormatLunInformation("t", luns[0]));
}

TEST(TargetLunTest, ATargetRecordDescribesTheSnapshotWithExactByteCounts) {
  LunSpec wanted = LunWithVendor("KOVA    ");
  wanted.with_interconnect = true;
  LunRecordArray luns = MakeLunRecords({wanted});
  AddEmptyLuns(luns, 1);
  luns[0].m_DeviceType = 7;
  luns[0].m_DeviceTypeModifier = 3;
  luns[0].m_deviceIdDescriptor.m_version = 4;
  luns[0].m_diskSignature = GUID{1, 2, 3, {4, 5, 6, 7, 8, 9, 10, 11}};
  // What the target held before is freed, not leaked.
  luns[1] = MakeLunRecord(LunWithVendor("OTHER   "));

  ASSERT_EQ(S_OK, FillTargetLunInformation(luns[0], "ABC123", "db01.snap-001", luns[1]));
  const VDS_LUN_INFORMATION& target = luns[1];
  EXPECT_EQ(1u, target.m_version);
  EXPECT_EQ(7, target.m_DeviceType);
  EXPECT_EQ(3, target.m_DeviceTypeModifier);
  EXPECT_EQ(TRUE, target.m_bCommandQueueing);
  EXPECT_EQ(VDSBusTypeiScsi, target.m_BusType);
  EXPECT_STREQ("KOVA    ", target.m_szVendorId);
  EXPECT_STREQ("Lumenstack      ", target.m_szProductId);
  EXPECT_STREQ("8888", target.m_szProductRevision);
  EXPECT_STREQ("ABC123", target.m_szSerialNumber);
  EXPECT_NE(target.m_szVendorId, luns[0].m_szVendorId);
  EXPECT_TRUE(target.m_diskSignature == GUID_NULL);
  EXPECT_EQ(4u, target.m_deviceIdDescriptor.m_version);
  ASSERT_EQ(2u, target.m_deviceIdDescriptor.m_cIdentifiers);
  const VDS_STORAGE_IDENTIFIER* ids = target.m_deviceIdDescriptor.m_rgIdentifiers;
  EXPECT_EQ(VDSStorageIdCodeSetAscii, ids[0].m_CodeSet);
  EXPECT_EQ(VDSStorageIdTypeVendorId, ids[0].m_Type);
  EXPECT_EQ(26u, ids[0].m_cbIdentifier);
  EXPECT_EQ(0, std::memcmp("KOVA    Lumenstack:ABC123", ids[0].m_rgbIdentifier, 26));
  EXPECT_EQ(VDSStorageIdCodeSetAscii, ids[1].m_CodeSet);
  EXPECT_EQ(VDSStorageIdTypeVendorSpecific, ids[1].m_Type);
  EXPECT_EQ(14u, ids[1].m_cbIdentifier);
  EXPECT_EQ(0, std::memcmp("db01.snap-001", ids[1].m_rgbIdentifier, 14));
  EXPECT_EQ(0u, target.m_cInterconnects);
  EXPECT_EQ(nullptr, target.m_rgInterconnects);

  // The target reads back as the snapshot's name.
  std::string name;
  ASSERT_TRUE(ReadVolumeNameIdentifier(target, name));
  EXPECT_EQ("db01.snap-001", name);
}

TEST(TargetLunTest, FreeingNullsEveryPointerAndCanBeRepeated) {
  LunSpec wanted = LunWithVendor("KOVA    ");
  wanted.with_interconnect = true;
  VDS_LUN_INFORMATION lun = MakeLunRecord(wanted);
  FreeLunInformation(lun);
  EXPECT_EQ(nullptr, lun.m_szVendorId);
  EXPECT_EQ(nullptr, lun.m_szProductId);
  EXPECT_EQ(nullptr, lun.m_szProductRevision);
  EXPECT_EQ(nullptr, lun.m_szSerialNumber);
  EXPECT_EQ(nullptr, lun.m_deviceIdDescriptor.m_rgIdentifiers);
  EXPECT_EQ(nullptr, lun.m_rgInterconnects);
  FreeLunInformation(lun);
}

}  // namespace
