// The pages real disks answered, as recorded in tests/identity/recorded:
// QEMU's emulated SCSI disks and a tgt iSCSI LUN, with the serials and
// names the guest test (scripts/guest-test.sh) gave them. The guest test
// checks that the disks still answer exactly these bytes, so what is
// parsed here is what the provider meets on a real SCSI bus.
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "provider/identity/lun_record_builder.h"
#include "provider/lun/lun_record.h"
#include "provider/lun/lun_volume_name.h"
#include "tests/identity/page_bytes.h"

namespace {

using identity_test::Bytes;
using identity_test::BytesOf;
using identity_test::IdentifierBytes;

const std::string kSerialPrefix = "9E258D0B7A4F1E63";  // of the guest test's array

// One recorded line: hex digits, then optionally "+Nx00" for N zero bytes.
Bytes Decode(const std::string& text) {
  std::istringstream in(text);
  std::string hex, zeros;
  in >> hex >> zeros;
  Bytes bytes;
  for (size_t i = 0; i + 1 < hex.size(); i += 2) {
    bytes.push_back(static_cast<uint8_t>(std::stoul(hex.substr(i, 2), nullptr, 16)));
  }
  if (!zeros.empty()) bytes.resize(bytes.size() + std::stoul(zeros.substr(1)), 0);
  return bytes;
}

// inquiry, vpd80 and vpd83 of one recorded disk.
std::map<std::string, Bytes> Recorded(const std::string& key) {
  std::ifstream file(std::string(KOVA_RECORDED_PAGES_DIR) + "/" + key + ".txt");
  std::map<std::string, Bytes> pages;
  std::string what, rest;
  while (file >> what && std::getline(file, rest)) pages[what] = Decode(rest);
  return pages;
}

LunInquiryAnswers AnswersOf(const std::string& key, VDS_STORAGE_BUS_TYPE bus) {
  std::map<std::string, Bytes> pages = Recorded(key);
  LunInquiryAnswers answers;
  answers.standard_inquiry = pages["inquiry"];
  answers.unit_serial_page = pages["vpd80"];
  answers.device_id_page = pages["vpd83"];
  answers.bus_type = bus;
  return answers;
}

class RecordedPagesTest : public testing::Test {
 protected:
  void TearDown() override { FreeLunInformation(lun_); }

  // The record the builder makes of the recorded disk; fails the test when
  // the recording is missing.
  const VDS_LUN_INFORMATION& Record(const std::string& key) {
    FreeLunInformation(lun_);
    std::string error;
    EXPECT_TRUE(BuildLunInformation(AnswersOf(key, VDSBusTypeScsi), &lun_, &error)) << key << ": " << error;
    return lun_;
  }

  VDS_LUN_INFORMATION lun_{};
};

// tgt puts the serial right-aligned into the 36 bytes of page 0x80, with
// leading blanks; QEMU puts it in as it is. The record carries the serial
// without padding either way, so it is the volume's serial byte for byte.
TEST_F(RecordedPagesTest, SerialIsTheVolumesWhetherOrNotThePageBlankPadsIt) {
  const Bytes tgt_page = Recorded("tgt-iscsi06")["vpd80"];
  ASSERT_EQ(4u + 36u, tgt_page.size());
  EXPECT_EQ(BytesOf(std::string(12, ' ') + kSerialPrefix + "00000006"), Bytes(tgt_page.begin() + 4, tgt_page.end()));
  EXPECT_STREQ((kSerialPrefix + "00000006").c_str(), Record("tgt-iscsi06").m_szSerialNumber);

  EXPECT_STREQ((kSerialPrefix + "00000001").c_str(), Record("qemu-db01").m_szSerialNumber);
  EXPECT_STREQ((kSerialPrefix + "00000012").c_str(), Record("qemu-blank-name").m_szSerialNumber);
}

TEST_F(RecordedPagesTest, NameIsTheVendorSpecificDesignatorQemuWasGiven) {
  const std::map<std::string, std::string> names = {
      {"qemu-db01", "db01"},
      {"qemu-blank-name", "db 01, nightly copy"},
      {"qemu-long-name", "long-" + std::string(242, '7')},
      {"qemu-wwn", "db13"},
      // Without device_id QEMU names the disk by the first 20 bytes of its serial.
      {"qemu-no-device-id", (kSerialPrefix + "00000005").substr(0, 20)},
  };
  for (const auto& [key, expected] : names) {
    std::string name = "unchanged";
    EXPECT_EQ(S_OK, VolumeNameFromDeviceIdPage(Recorded(key)["vpd83"], name)) << key;
    EXPECT_EQ(expected, name) << key;
  }
  EXPECT_EQ(247u, names.at("qemu-long-name").size()) << "the most QEMU puts into one designator";
}

// QEMU always puts the device_id designator first; the same two designators
// in the other order still give the name.
TEST_F(RecordedPagesTest, BinaryDesignatorBeforeTheNameDoesNotHideIt) {
  const Bytes page = Recorded("qemu-wwn")["vpd83"];
  ASSERT_GE(page.size(), 24u);
  const Bytes header(page.begin(), page.begin() + 4);
  const Bytes ascii(page.begin() + 4, page.begin() + 12);
  const Bytes naa(page.begin() + 12, page.begin() + 24);
  ASSERT_EQ(0x01, naa[0] & 0x0F) << "binary";
  std::string name;
  EXPECT_EQ(S_OK, VolumeNameFromDeviceIdPage(identity_test::Concat({header, naa, ascii}), name));
  EXPECT_EQ("db13", name);
}

// tgt carries its scsi_id as a T10 vendor ID designator, so a tgt LUN has no
// volume name of its own: the provider finds its volume by the array scan.
TEST_F(RecordedPagesTest, TgtPageHoldsNoVendorSpecificName) {
  std::string name;
  EXPECT_EQ(S_OK, VolumeNameFromDeviceIdPage(Recorded("tgt-iscsi06")["vpd83"], name));
  EXPECT_EQ("", name);

  const VDS_LUN_INFORMATION& lun = Record("tgt-iscsi06");
  const VDS_STORAGE_DEVICE_ID_DESCRIPTOR& ids = lun.m_deviceIdDescriptor;
  ASSERT_EQ(3u, ids.m_cIdentifiers);
  EXPECT_EQ(VDSStorageIdCodeSetAscii, ids.m_rgIdentifiers[0].m_CodeSet);
  EXPECT_EQ(VDSStorageIdTypeVendorId, ids.m_rgIdentifiers[0].m_Type);
  Bytes t10 = BytesOf("iscsi06");
  t10.resize(36, 0);
  EXPECT_EQ(t10, IdentifierBytes(ids.m_rgIdentifiers[0]));
  for (ULONG i = 1; i < 3; ++i) {
    EXPECT_EQ(VDSStorageIdCodeSetBinary, ids.m_rgIdentifiers[i].m_CodeSet) << i;
    EXPECT_EQ(VDSStorageIdTypeFCPHName, ids.m_rgIdentifiers[i].m_Type) << i;
  }
}

// QEMU fills the whole allocation length with zeros after each answer; the
// record holds only what the answers' own lengths cover.
TEST_F(RecordedPagesTest, QemuRecordHoldsTheToldFieldsAndDesignatorsInPageOrder) {
  EXPECT_EQ(4096u, Recorded("qemu-wwn")["vpd83"].size());
  const VDS_LUN_INFORMATION& lun = Record("qemu-wwn");
  EXPECT_STREQ("KOVA    ", lun.m_szVendorId);
  EXPECT_STREQ("Lumenstack      ", lun.m_szProductId);
  EXPECT_STREQ("6.1", lun.m_szProductRevision) << "QEMU pads the revision with NUL bytes";
  EXPECT_EQ(0, lun.m_DeviceType);
  EXPECT_EQ(TRUE, lun.m_bCommandQueueing);
  const VDS_STORAGE_DEVICE_ID_DESCRIPTOR& ids = lun.m_deviceIdDescriptor;
  ASSERT_EQ(2u, ids.m_cIdentifiers);
  EXPECT_EQ(VDSStorageIdCodeSetAscii, ids.m_rgIdentifiers[0].m_CodeSet);
  EXPECT_EQ(VDSStorageIdTypeVendorSpecific, ids.m_rgIdentifiers[0].m_Type);
  EXPECT_EQ(BytesOf("db13"), IdentifierBytes(ids.m_rgIdentifiers[0]));
  EXPECT_EQ(VDSStorageIdCodeSetBinary, ids.m_rgIdentifiers[1].m_CodeSet);
  EXPECT_EQ(VDSStorageIdTypeFCPHName, ids.m_rgIdentifiers[1].m_Type);
  EXPECT_EQ((Bytes{0x50, 0x00, 0xC5, 0x00, 0x15, 0xEA, 0x71, 0xAC}), IdentifierBytes(ids.m_rgIdentifiers[1]));
}

// Every recorded disk puts its name, if any, in its first vendor-specific
// designator, where the record walk and the page walk agree.
TEST_F(RecordedPagesTest, TheRecordAndThePageGiveTheSameNameForEveryRecordedDisk) {
  for (const char* key : {"qemu-db01", "qemu-blank-name", "qemu-long-name", "qemu-wwn",
                          "qemu-no-device-id", "tgt-iscsi06"}) {
    std::string from_page;
    EXPECT_EQ(S_OK, VolumeNameFromDeviceIdPage(Recorded(key)["vpd83"], from_page)) << key;
    std::string from_record;
    EXPECT_EQ(!from_page.empty(), ReadVolumeNameIdentifier(Record(key), from_record)) << key;
    EXPECT_EQ(from_page, from_record) << key;
  }
}

}  // namespace
