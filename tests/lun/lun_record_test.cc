// LUN records in task memory: the allocating helpers, the deep copy and the
// one rule for what a freed record holds (the sanitizer build reports any
// leak or double free).
#include <gtest/gtest.h>

#include <cstring>
#include <limits>
#include <new>
#include <string>
#include <vector>

#include "provider/lun/lun_record.h"

namespace {

const GUID kSignature = {0x01020304, 0x0506, 0x0708, {9, 10, 11, 12, 13, 14, 15, 16}};

BYTE* Bytes(const std::string& text) { return TaskMemoryBytes(std::vector<uint8_t>(text.begin(), text.end())); }

// A record with every field set and every list present.
VDS_LUN_INFORMATION FullRecord() {
  VDS_LUN_INFORMATION lun{};
  lun.m_version = VER_VDS_LUN_INFORMATION;
  lun.m_DeviceType = 5;
  lun.m_DeviceTypeModifier = 2;
  lun.m_bCommandQueueing = TRUE;
  lun.m_BusType = VDSBusTypeFibre;
  lun.m_szVendorId = TaskMemoryString("KOVA    ");
  lun.m_szProductId = TaskMemoryString("Lumenstack");
  lun.m_szProductRevision = TaskMemoryString("6.1");
  lun.m_szSerialNumber = TaskMemoryString("9E258D0B7A4F1E6300000001");
  lun.m_diskSignature = kSignature;
  lun.m_deviceIdDescriptor.m_version = 3;
  lun.m_deviceIdDescriptor.m_cIdentifiers = 2;
  lun.m_deviceIdDescriptor.m_rgIdentifiers = TaskMemoryArray<VDS_STORAGE_IDENTIFIER>(2);
  lun.m_deviceIdDescriptor.m_rgIdentifiers[0] = {VDSStorageIdCodeSetBinary, VDSStorageIdTypeEUI64, 3, Bytes("\x24\xa9\x37")};
  lun.m_deviceIdDescriptor.m_rgIdentifiers[1] = {VDSStorageIdCodeSetAscii, VDSStorageIdTypeVendorSpecific, 5,
                                                 Bytes(std::string("db01", 5))};
  lun.m_cInterconnects = 1;
  lun.m_rgInterconnects = TaskMemoryArray<VDS_INTERCONNECT>(1);
  lun.m_rgInterconnects[0] = {VDS_IA_FCPH, 2, Bytes("\x01\x02"), 3, Bytes("\x0a\x0b\x0c")};
  return lun;
}

std::string BytesText(const BYTE* bytes, ULONG count) {
  return bytes == nullptr ? "(none)" : std::string(reinterpret_cast<const char*>(bytes), count);
}

void ExpectAllZero(const VDS_LUN_INFORMATION& lun) {
  EXPECT_EQ(0u, lun.m_version);
  EXPECT_EQ(0, lun.m_DeviceType);
  EXPECT_EQ(0, lun.m_DeviceTypeModifier);
  EXPECT_EQ(FALSE, lun.m_bCommandQueueing);
  EXPECT_EQ(VDSBusTypeUnknown, lun.m_BusType);
  EXPECT_EQ(nullptr, lun.m_szVendorId);
  EXPECT_EQ(nullptr, lun.m_szProductId);
  EXPECT_EQ(nullptr, lun.m_szProductRevision);
  EXPECT_EQ(nullptr, lun.m_szSerialNumber);
  EXPECT_EQ(0, std::memcmp(&GUID_NULL, &lun.m_diskSignature, sizeof(GUID)));
  EXPECT_EQ(0u, lun.m_deviceIdDescriptor.m_version);
  EXPECT_EQ(0u, lun.m_deviceIdDescriptor.m_cIdentifiers);
  EXPECT_EQ(nullptr, lun.m_deviceIdDescriptor.m_rgIdentifiers);
  EXPECT_EQ(0u, lun.m_cInterconnects);
  EXPECT_EQ(nullptr, lun.m_rgInterconnects);
}

TEST(TaskMemoryTest, StringsAreCopiedWithTheirNulAndANullTextStaysNull) {
  const std::string text("a\0b", 3);
  char* copy = TaskMemoryString(text);
  EXPECT_EQ(0, std::memcmp(copy, "a\0b\0", 4));
  CoTaskMemFree(copy);
  copy = TaskMemoryString("");
  ASSERT_NE(nullptr, copy);
  EXPECT_STREQ("", copy);
  CoTaskMemFree(copy);
  EXPECT_EQ(nullptr, TaskMemoryString(static_cast<const char*>(nullptr)));
}

TEST(TaskMemoryTest, NoBytesGiveNoBlock) {
  const BYTE some[] = {1, 0, 2};
  BYTE* copy = TaskMemoryBytes(some, sizeof some);
  EXPECT_EQ(0, std::memcmp(some, copy, sizeof some));
  CoTaskMemFree(copy);
  EXPECT_EQ(nullptr, TaskMemoryBytes(some, 0));
  EXPECT_EQ(nullptr, TaskMemoryBytes(nullptr, 3));
  EXPECT_EQ(nullptr, TaskMemoryBytes(std::vector<uint8_t>()));
}

TEST(TaskMemoryTest, ArraysAreZeroedAndAnEmptyOneIsStillThere) {
  auto* ids = TaskMemoryArray<VDS_STORAGE_IDENTIFIER>(3);
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(0u, ids[i].m_cbIdentifier);
    EXPECT_EQ(nullptr, ids[i].m_rgbIdentifier);
  }
  CoTaskMemFree(ids);
  auto* none = TaskMemoryArray<VDS_INTERCONNECT>(0);
  EXPECT_NE(nullptr, none);
  CoTaskMemFree(none);
}

TEST(TaskMemoryTest, ASizeThatCannotBeMetIsBadAlloc) {
  EXPECT_THROW(TaskMemoryArray<VDS_INTERCONNECT>(std::numeric_limits<size_t>::max() / 2), std::bad_alloc);
}

TEST(TextOfBytesTest, TextEndsAtTheFirstNulOrTheCount) {
  const BYTE bytes[] = {'d', 'b', '0', '1', 0, 'x'};
  EXPECT_EQ("db01", TextOfBytes(bytes, sizeof bytes));
  EXPECT_EQ("db", TextOfBytes(bytes, 2));
  EXPECT_EQ("", TextOfBytes(bytes, 0));
  EXPECT_EQ("", TextOfBytes(nullptr, 4));
}

TEST(CopyLunRecordTest, TheCopyIsDeepAndFieldForField) {
  VDS_LUN_INFORMATION source = FullRecord();
  VDS_LUN_INFORMATION copy{};
  CopyLunRecord(source, &copy);
  EXPECT_EQ(source.m_version, copy.m_version);
  EXPECT_EQ(5, copy.m_DeviceType);
  EXPECT_EQ(2, copy.m_DeviceTypeModifier);
  EXPECT_EQ(TRUE, copy.m_bCommandQueueing);
  EXPECT_EQ(VDSBusTypeFibre, copy.m_BusType);
  EXPECT_EQ(0, std::memcmp(&kSignature, &copy.m_diskSignature, sizeof(GUID)));
  EXPECT_NE(source.m_szSerialNumber, copy.m_szSerialNumber);
  EXPECT_STREQ("9E258D0B7A4F1E6300000001", copy.m_szSerialNumber);
  EXPECT_STREQ("6.1", copy.m_szProductRevision);
  EXPECT_EQ(3u, copy.m_deviceIdDescriptor.m_version);
  ASSERT_EQ(2u, copy.m_deviceIdDescriptor.m_cIdentifiers);
  const VDS_STORAGE_IDENTIFIER& name = copy.m_deviceIdDescriptor.m_rgIdentifiers[1];
  EXPECT_NE(source.m_deviceIdDescriptor.m_rgIdentifiers[1].m_rgbIdentifier, name.m_rgbIdentifier);
  EXPECT_EQ(VDSStorageIdCodeSetAscii, name.m_CodeSet);
  EXPECT_EQ(VDSStorageIdTypeVendorSpecific, name.m_Type);
  EXPECT_EQ(std::string("db01", 5), BytesText(name.m_rgbIdentifier, name.m_cbIdentifier));
  ASSERT_EQ(1u, copy.m_cInterconnects);
  EXPECT_EQ(VDS_IA_FCPH, copy.m_rgInterconnects[0].m_addressType);
  EXPECT_EQ("\x0a\x0b\x0c", BytesText(copy.m_rgInterconnects[0].m_pbAddress, copy.m_rgInterconnects[0].m_cbAddress));
  FreeLunInformation(source);
  // The copy owns its blocks: it outlives the source.
  EXPECT_EQ("\x01\x02", BytesText(copy.m_rgInterconnects[0].m_pbPort, copy.m_rgInterconnects[0].m_cbPort));
  FreeLunInformation(copy);
}

TEST(CopyLunRecordTest, WhatIsAbsentIsCopiedAsAbsentAndAnEmptyListStaysPresent) {
  VDS_LUN_INFORMATION source = FullRecord();
  // A text, identifier bytes and an interconnect list that are counted but not there.
  CoTaskMemFree(source.m_szProductId);
  source.m_szProductId = nullptr;
  VDS_STORAGE_IDENTIFIER& eui = source.m_deviceIdDescriptor.m_rgIdentifiers[0];
  CoTaskMemFree(eui.m_rgbIdentifier);
  eui.m_rgbIdentifier = nullptr;
  VDS_INTERCONNECT* links = source.m_rgInterconnects;
  source.m_rgInterconnects = nullptr;
  CoTaskMemFree(links[0].m_pbPort);
  CoTaskMemFree(links[0].m_pbAddress);
  CoTaskMemFree(links);

  VDS_LUN_INFORMATION copy{};
  CopyLunRecord(source, &copy);
  EXPECT_EQ(nullptr, copy.m_szProductId);
  EXPECT_EQ(0u, copy.m_cInterconnects);
  EXPECT_EQ(nullptr, copy.m_rgInterconnects);
  EXPECT_EQ(0u, copy.m_deviceIdDescriptor.m_rgIdentifiers[0].m_cbIdentifier);
  EXPECT_EQ(nullptr, copy.m_deviceIdDescriptor.m_rgIdentifiers[0].m_rgbIdentifier);
  FreeLunInformation(copy);

  // A list that is there but empty is copied as such.
  source.m_cInterconnects = 0;
  source.m_rgInterconnects = TaskMemoryArray<VDS_INTERCONNECT>(0);
  CopyLunRecord(source, &copy);
  EXPECT_NE(nullptr, copy.m_rgInterconnects);
  EXPECT_EQ(0u, copy.m_cInterconnects);
  FreeLunInformation(copy);
  FreeLunInformation(source);
}

TEST(FreeLunInformationTest, AFreedRecordIsAllZeroAndMayBeFreedAgain) {
  VDS_LUN_INFORMATION lun = FullRecord();
  FreeLunInformation(lun);
  ExpectAllZero(lun);
  FreeLunInformation(lun);
  ExpectAllZero(lun);
}

TEST(FreeLunInformationTest, ACountedListThatIsNotThereIsNotWalked) {
  VDS_LUN_INFORMATION lun{};
  lun.m_deviceIdDescriptor.m_cIdentifiers = 4;
  lun.m_cInterconnects = 2;
  lun.m_szSerialNumber = TaskMemoryString("S");
  FreeLunInformation(lun);
  ExpectAllZero(lun);
}

}  // namespace
