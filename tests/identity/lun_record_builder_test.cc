// LUN records made from a device's answers: each field, what happens when
// pages are missing or malformed, and the release of what was allocated
// (the sanitizer build reports any leak or double free).
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "provider/identity/lun_record_builder.h"
#include "provider/lun/lun_record.h"
#include "tests/identity/page_bytes.h"

namespace {

using namespace identity_test;

const Bytes kNaa = {0x62, 0x4A, 0x93, 0x70, 0x01, 0x02, 0x03, 0x04};

LunInquiryAnswers KovaAnswers() {
  LunInquiryAnswers answers;
  answers.standard_inquiry = InquiryAnswer("KOVA", "Lumenstack", "6.1");
  answers.unit_serial_page = VpdPage(0x80, BytesOf(" 6A1B2C3D4E5F60718293A4B5"));
  answers.device_id_page =
      VpdPage(0x83, Concat({Descriptor(1, 3, kNaa), Descriptor(2, 0, BytesOf("db01")),
                            Descriptor(9, 8, BytesOf("x")), Descriptor(3, 0, {})}));
  answers.bus_type = VDSBusTypeiScsi;
  return answers;
}

class LunRecordTest : public testing::Test {
 protected:
  void TearDown() override { FreeLunInformation(lun_); }
  VDS_LUN_INFORMATION lun_{};
};

TEST_F(LunRecordTest, RecordCarriesTheDeviceAnswersFieldByField) {
  std::string error;
  ASSERT_TRUE(BuildLunInformation(KovaAnswers(), &lun_, &error)) << error;
  EXPECT_EQ(VER_VDS_LUN_INFORMATION, lun_.m_version);
  EXPECT_EQ(0, lun_.m_DeviceType);
  EXPECT_EQ(0, lun_.m_DeviceTypeModifier);
  EXPECT_EQ(TRUE, lun_.m_bCommandQueueing);
  EXPECT_EQ(VDSBusTypeiScsi, lun_.m_BusType);
  EXPECT_STREQ("KOVA    ", lun_.m_szVendorId);
  EXPECT_STREQ("Lumenstack      ", lun_.m_szProductId);
  EXPECT_STREQ("6.1 ", lun_.m_szProductRevision);
  EXPECT_STREQ("6A1B2C3D4E5F60718293A4B5", lun_.m_szSerialNumber);
  EXPECT_EQ(0, std::memcmp(&GUID_NULL, &lun_.m_diskSignature, sizeof(GUID)));
  EXPECT_EQ(0u, lun_.m_cInterconnects);
  EXPECT_EQ(nullptr, lun_.m_rgInterconnects);
}

TEST_F(LunRecordTest, IdentifiersFollowThePageDescriptors) {
  ASSERT_TRUE(BuildLunInformation(KovaAnswers(), &lun_, nullptr));
  const VDS_STORAGE_DEVICE_ID_DESCRIPTOR& ids = lun_.m_deviceIdDescriptor;
  ASSERT_EQ(4u, ids.m_cIdentifiers);
  EXPECT_EQ(VDSStorageIdCodeSetBinary, ids.m_rgIdentifiers[0].m_CodeSet);
  EXPECT_EQ(VDSStorageIdTypeFCPHName, ids.m_rgIdentifiers[0].m_Type);
  EXPECT_EQ(kNaa, IdentifierBytes(ids.m_rgIdentifiers[0]));
  EXPECT_EQ(VDSStorageIdCodeSetAscii, ids.m_rgIdentifiers[1].m_CodeSet);
  EXPECT_EQ(VDSStorageIdTypeVendorSpecific, ids.m_rgIdentifiers[1].m_Type);
  EXPECT_EQ(BytesOf("db01"), IdentifierBytes(ids.m_rgIdentifiers[1]));
  // A code set VDS has no name for is reported as reserved.
  EXPECT_EQ(VDSStorageIdCodeSetReserved, ids.m_rgIdentifiers[2].m_CodeSet);
  EXPECT_EQ(VDSStorageIdTypeScsiNameString, ids.m_rgIdentifiers[2].m_Type);
  EXPECT_EQ(VDSStorageIdCodeSetUtf8, ids.m_rgIdentifiers[3].m_CodeSet);
  EXPECT_EQ(0u, ids.m_rgIdentifiers[3].m_cbIdentifier);
  EXPECT_EQ(nullptr, ids.m_rgIdentifiers[3].m_rgbIdentifier);
}

TEST_F(LunRecordTest, MissingOrMalformedPagesLeaveTheirFieldsEmpty) {
  LunInquiryAnswers answers = KovaAnswers();
  answers.unit_serial_page = {0x00, 0x83, 0x00};
  answers.device_id_page.resize(answers.device_id_page.size() - 7);  // into the third descriptor
  ASSERT_TRUE(BuildLunInformation(answers, &lun_, nullptr));
  EXPECT_STREQ("", lun_.m_szSerialNumber);
  EXPECT_EQ(2u, lun_.m_deviceIdDescriptor.m_cIdentifiers);
  FreeLunInformation(lun_);

  answers.unit_serial_page.clear();
  answers.device_id_page.clear();
  ASSERT_TRUE(BuildLunInformation(answers, &lun_, nullptr));
  EXPECT_STREQ("", lun_.m_szSerialNumber);
  EXPECT_EQ(0u, lun_.m_deviceIdDescriptor.m_cIdentifiers);
  EXPECT_EQ(nullptr, lun_.m_deviceIdDescriptor.m_rgIdentifiers);
}

TEST_F(LunRecordTest, UnusableInquiryAnswerBuildsNothing) {
  LunInquiryAnswers answers = KovaAnswers();
  answers.standard_inquiry.resize(4);
  std::string error;
  EXPECT_FALSE(BuildLunInformation(answers, &lun_, &error));
  EXPECT_EQ("INQUIRY answer too short (4 bytes)", error);
  EXPECT_EQ(nullptr, lun_.m_szVendorId);

  answers = KovaAnswers();
  answers.standard_inquiry[0] = 0x7F;
  EXPECT_FALSE(BuildLunInformation(answers, &lun_, &error));
  EXPECT_EQ("the device reports no logical unit", error);
  EXPECT_EQ(nullptr, lun_.m_deviceIdDescriptor.m_rgIdentifiers);
}

TEST_F(LunRecordTest, FreeingLeavesAZeroedRecordThatMayBeFreedAgain) {
  ASSERT_TRUE(BuildLunInformation(KovaAnswers(), &lun_, nullptr));
  FreeLunInformation(lun_);
  EXPECT_EQ(nullptr, lun_.m_szVendorId);
  EXPECT_EQ(nullptr, lun_.m_szSerialNumber);
  EXPECT_EQ(0u, lun_.m_deviceIdDescriptor.m_cIdentifiers);
  EXPECT_EQ(nullptr, lun_.m_deviceIdDescriptor.m_rgIdentifiers);
  FreeLunInformation(lun_);
}

TEST_F(LunRecordTest, InterconnectsAllocatedElsewhereAreFreedToo) {
  ASSERT_TRUE(BuildLunInformation(KovaAnswers(), &lun_, nullptr));
  lun_.m_cInterconnects = 1;
  lun_.m_rgInterconnects = static_cast<VDS_INTERCONNECT*>(CoTaskMemAlloc(sizeof(VDS_INTERCONNECT)));
  lun_.m_rgInterconnects[0] = VDS_INTERCONNECT{};
  lun_.m_rgInterconnects[0].m_cbPort = 4;
  lun_.m_rgInterconnects[0].m_pbPort = static_cast<BYTE*>(CoTaskMemAlloc(4));
  FreeLunInformation(lun_);
  EXPECT_EQ(nullptr, lun_.m_rgInterconnects);
}

// The answers a scripted device gives, and the requests it saw.
struct ScriptedDevice {
  bool refuse_standard = false;
  bool refuse_pages = false;
  std::vector<std::pair<bool, int>> requests;

  LunInquiry Inquiry() {
    return [this](bool vpd, uint8_t page, std::vector<uint8_t>* data, std::string* error) {
      requests.emplace_back(vpd, page);
      const LunInquiryAnswers answers = KovaAnswers();
      if (!vpd && !refuse_standard) *data = answers.standard_inquiry;
      if (vpd && !refuse_pages) {
        *data = page == 0x80 ? answers.unit_serial_page : answers.device_id_page;
      }
      const bool ok = vpd ? !refuse_pages : !refuse_standard;
      if (!ok && error) *error = "CHECK CONDITION";
      return ok;
    };
  }
};

TEST_F(LunRecordTest, DeviceIsAskedForTheStandardAnswerAndBothPages) {
  ScriptedDevice device;
  ASSERT_TRUE(ReadLunInformation(device.Inquiry(), VDSBusTypeFibre, &lun_, nullptr));
  const std::vector<std::pair<bool, int>> expected = {{false, 0}, {true, 0x80}, {true, 0x83}};
  EXPECT_EQ(expected, device.requests);
  EXPECT_EQ(VDSBusTypeFibre, lun_.m_BusType);
  EXPECT_STREQ("6A1B2C3D4E5F60718293A4B5", lun_.m_szSerialNumber);
  EXPECT_EQ(4u, lun_.m_deviceIdDescriptor.m_cIdentifiers);
}

TEST_F(LunRecordTest, DeviceRefusingThePagesStillGetsARecord) {
  ScriptedDevice device;
  device.refuse_pages = true;
  ASSERT_TRUE(ReadLunInformation(device.Inquiry(), VDSBusTypeUnknown, &lun_, nullptr));
  EXPECT_STREQ("KOVA    ", lun_.m_szVendorId);
  EXPECT_STREQ("", lun_.m_szSerialNumber);
  EXPECT_EQ(0u, lun_.m_deviceIdDescriptor.m_cIdentifiers);
}

TEST_F(LunRecordTest, DeviceRefusingInquiryGetsNoRecord) {
  ScriptedDevice device;
  device.refuse_standard = true;
  std::string error;
  EXPECT_FALSE(ReadLunInformation(device.Inquiry(), VDSBusTypeUnknown, &lun_, &error));
  EXPECT_EQ("CHECK CONDITION", error);
  EXPECT_EQ(1u, device.requests.size());
  EXPECT_EQ(nullptr, lun_.m_szVendorId);
}

TEST_F(LunRecordTest, DevicesThatAreNoDisksGiveAClearError) {
  std::string error;
#ifdef _WIN32
  // Windows names the null device NUL and reports the system's error code.
  EXPECT_FALSE(ReadLunInformationFromDevice("NUL", &lun_, &error));
  EXPECT_EQ(0u, error.rfind("SCSI INQUIRY on NUL failed (error ", 0)) << error;
  EXPECT_FALSE(ReadLunInformationFromDevice("\\\\.\\PhysicalDrive999", &lun_, &error));
  EXPECT_EQ(0u, error.rfind("cannot open \\\\.\\PhysicalDrive999 (error ", 0)) << error;
#else
  EXPECT_FALSE(ReadLunInformationFromDevice("/dev/null", &lun_, &error));
  EXPECT_EQ("/dev/null is not a SCSI device", error);
  EXPECT_FALSE(ReadLunInformationFromDevice("/nonexistent/sdz", &lun_, &error));
  EXPECT_EQ("cannot open /nonexistent/sdz: no such device", error);
#endif
  EXPECT_EQ(nullptr, lun_.m_szVendorId);
}

}  // namespace
