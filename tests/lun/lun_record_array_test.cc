// The owning array of LUN records: taking records over, the device names
// as VSS passes them, moves, and the release of every record (the sanitizer
// build reports any leak or double free).
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <utility>

#include "provider/lun/lun_record.h"
#include "provider/lun/lun_record_array.h"
#include "tests/support/lun_device_name.h"

namespace {

VDS_LUN_INFORMATION RecordWithSerial(const std::string& serial) {
  VDS_LUN_INFORMATION lun{};
  lun.m_version = VER_VDS_LUN_INFORMATION;
  lun.m_szSerialNumber = TaskMemoryString(serial);
  lun.m_cInterconnects = 1;
  lun.m_rgInterconnects = TaskMemoryArray<VDS_INTERCONNECT>(1);
  lun.m_rgInterconnects[0].m_cbPort = 1;
  lun.m_rgInterconnects[0].m_pbPort = TaskMemoryBytes(std::vector<uint8_t>{7});
  return lun;
}

TEST(LunRecordArrayTest, AnEmptyArrayPassesNullLists) {
  LunRecordArray luns;
  EXPECT_EQ(0u, luns.size());
  EXPECT_EQ(0, luns.count());
  EXPECT_EQ(nullptr, luns.data());
  EXPECT_EQ(nullptr, luns.devices());
}

TEST(LunRecordArrayTest, AppendTakesTheRecordOverAndLeavesItZeroed) {
  LunRecordArray luns;
  VDS_LUN_INFORMATION lun = RecordWithSerial("S1");
  char* serial = lun.m_szSerialNumber;
  luns.Append(&lun, DeviceName("/dev/sdb"));
  EXPECT_EQ(nullptr, lun.m_szSerialNumber);
  EXPECT_EQ(nullptr, lun.m_rgInterconnects);
  EXPECT_EQ(0u, lun.m_cInterconnects);
  ASSERT_EQ(1, luns.count());
  EXPECT_EQ(serial, luns.data()[0].m_szSerialNumber);
  EXPECT_EQ(serial, luns[0].m_szSerialNumber);
  EXPECT_EQ(DeviceName("/dev/sdb"), luns.device(0));
}

TEST(LunRecordArrayTest, ARecordWithoutADeviceNamePassesNullAndAnEmptyNamePassesEmpty) {
  LunRecordArray luns;
  VDS_LUN_INFORMATION lun = RecordWithSerial("S1");
  luns.Append(&lun);
  lun = RecordWithSerial("S2");
  luns.Append(&lun, LunDeviceName());
  lun = RecordWithSerial("S3");
  luns.Append(&lun, DeviceName("/dev/sdc"));
  VSS_PWSZ* devices = luns.devices();
  ASSERT_NE(nullptr, devices);
  EXPECT_EQ(nullptr, devices[0]);
  ASSERT_NE(nullptr, devices[1]);
  EXPECT_STREQ(DeviceName("").c_str(), devices[1]);
  EXPECT_STREQ(DeviceName("/dev/sdc").c_str(), devices[2]);
  EXPECT_EQ(LunDeviceName(), luns.device(0));
  EXPECT_EQ(LunDeviceName(), luns.device(1));
}

TEST(LunRecordArrayTest, ACountGivesZeroedRecordsWithoutDeviceNames) {
  LunRecordArray targets(2);
  ASSERT_EQ(2, targets.count());
  EXPECT_EQ(nullptr, targets[1].m_szSerialNumber);
  EXPECT_EQ(0u, targets[1].m_version);
  EXPECT_EQ(nullptr, targets.devices()[0]);
  EXPECT_EQ(nullptr, targets.devices()[1]);
  // What a provider fills in is the array's to free.
  targets[1].m_szSerialNumber = TaskMemoryString("filled");
}

TEST(LunRecordArrayTest, AnIndexPastTheEndIsRefused) {
  LunRecordArray luns(1);
  EXPECT_THROW(luns[1], std::out_of_range);
  EXPECT_THROW(luns.device(1), std::out_of_range);
}

TEST(LunRecordArrayTest, MovesHandTheRecordsOverAndLeaveTheSourceEmpty) {
  LunRecordArray first;
  VDS_LUN_INFORMATION lun = RecordWithSerial("S1");
  first.Append(&lun, DeviceName("/dev/sdb"));
  LunRecordArray second(std::move(first));
  EXPECT_EQ(0u, first.size());
  ASSERT_EQ(1u, second.size());
  EXPECT_STREQ("S1", second[0].m_szSerialNumber);

  LunRecordArray third;
  lun = RecordWithSerial("S9");
  third.Append(&lun);
  third = std::move(second);  // frees S9
  EXPECT_EQ(0u, second.size());
  ASSERT_EQ(1u, third.size());
  EXPECT_STREQ("S1", third[0].m_szSerialNumber);
  EXPECT_EQ(DeviceName("/dev/sdb"), third.device(0));
}

TEST(LunRecordArrayTest, AppendingAnArrayMovesEveryRecordInOrder) {
  LunRecordArray luns;
  VDS_LUN_INFORMATION lun = RecordWithSerial("S1");
  luns.Append(&lun, DeviceName("/dev/sdb"));
  LunRecordArray more;
  lun = RecordWithSerial("S2");
  more.Append(&lun);
  lun = RecordWithSerial("S3");
  more.Append(&lun, DeviceName("/dev/sdd"));
  luns.Append(std::move(more));
  EXPECT_EQ(0u, more.size());
  EXPECT_EQ(nullptr, more.data());
  ASSERT_EQ(3u, luns.size());
  EXPECT_STREQ("S2", luns[1].m_szSerialNumber);
  EXPECT_STREQ("S3", luns[2].m_szSerialNumber);
  VSS_PWSZ* devices = luns.devices();
  EXPECT_STREQ(DeviceName("/dev/sdb").c_str(), devices[0]);
  EXPECT_EQ(nullptr, devices[1]);
  EXPECT_STREQ(DeviceName("/dev/sdd").c_str(), devices[2]);
}

}  // namespace
