// The two readings of a LUN's volume name side by side on one device
// answer: the walk over the record made from the answer, and the walk over
// the page 0x83 itself. They agree when the first vendor-specific
// identifier is a usable ASCII name and part ways when it is not.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "provider/identity/lun_record_builder.h"
#include "provider/lun/lun_record.h"
#include "provider/lun/lun_volume_name.h"

namespace {

using Bytes = std::vector<uint8_t>;

Bytes Hex(const std::string& text) {
  Bytes bytes;
  std::string digits;
  for (char c : text) {
    if (c == ' ') continue;
    digits += c;
    if (digits.size() == 2) {
      bytes.push_back(static_cast<uint8_t>(std::stoi(digits, nullptr, 16)));
      digits.clear();
    }
  }
  return bytes;
}

// A disk of the array as it answered: a standard INQUIRY, and page 0x83
// with an NAA name, a T10 vendor identifier, an identifier in the place of
// the name (|third|, varied by the tests) and the volume's name "db01".
const Bytes kStandardInquiry = Hex(
    "00 00 06 02 1F 00 00 02 4B 4F 56 41 20 20 20 20 4C 75 6D 65 6E 73 74 61 63 6B 20 20 20 20 20 20"
    " 36 2E 31 20");
const char kNaa[] = "01 03 00 10 62 4A 93 70 9E 25 8D 0B 7A 4F 1E 63 00 00 01 01";
const char kT10VendorId[] = "02 01 00 0C 4B 4F 56 41 20 20 20 20 30 31 30 31";
const char kBinaryVendorSpecific[] = "01 00 00 04 00 00 01 01";
const char kEmptyAsciiVendorSpecific[] = "02 00 00 00";
const char kNameDb01[] = "02 00 00 08 64 62 30 31 00 00 00 00";

Bytes Page(const std::vector<std::string>& descriptors) {
  std::string hex = "00 83 00 00";
  for (const std::string& descriptor : descriptors) hex += " " + descriptor;
  Bytes page = Hex(hex);
  page[3] = static_cast<uint8_t>(page.size() - 4);
  return page;
}

// Both readings of |page|, each starting from the name "before": the walk
// over the record built from the answer and the walk over the page.
void ExpectReadings(const Bytes& page, bool record_found, const std::string& record_name,
                    HRESULT page_result, const std::string& page_name) {
  LunInquiryAnswers answers;
  answers.standard_inquiry = kStandardInquiry;
  answers.device_id_page = page;
  VDS_LUN_INFORMATION lun{};
  std::string error;
  ASSERT_TRUE(BuildLunInformation(answers, &lun, &error)) << error;
  std::string name = "before";
  EXPECT_EQ(record_found, ReadVolumeNameIdentifier(lun, name));
  EXPECT_EQ(record_name, name) << "record walk";
  FreeLunInformation(lun);
  name = "before";
  EXPECT_EQ(page_result, VolumeNameFromDeviceIdPage(page, name));
  EXPECT_EQ(page_name, name) << "page walk";
}

TEST(VolumeNameReadingsTest, AUsableFirstVendorSpecificIdentifierGivesBothTheSameName) {
  ExpectReadings(Page({kNaa, kT10VendorId, kNameDb01}), true, "db01", S_OK, "db01");
}

TEST(VolumeNameReadingsTest, ABinaryVendorSpecificIdentifierIsSkippedInTheRecordButDecidesThePage) {
  ExpectReadings(Page({kNaa, kBinaryVendorSpecific, kT10VendorId, kNameDb01}), true, "db01", E_FAIL,
                 "before");
}

TEST(VolumeNameReadingsTest, AnEmptyVendorSpecificIdentifierIsSkippedInTheRecordButDecidesThePage) {
  ExpectReadings(Page({kEmptyAsciiVendorSpecific, kNaa, kNameDb01}), true, "db01", E_FAIL, "before");
}

TEST(VolumeNameReadingsTest, WithoutAVendorSpecificIdentifierNeitherTouchesTheName) {
  // The page walk succeeds without a name; the caller's confirmation then fails.
  ExpectReadings(Page({kNaa, kT10VendorId}), false, "before", S_OK, "before");
}

TEST(VolumeNameReadingsTest, OnlyAnAsciiVendorSpecificIdentifierWithBytesCountsInTheRecord) {
  ExpectReadings(Page({kBinaryVendorSpecific, kEmptyAsciiVendorSpecific}), false, "before", E_FAIL,
                 "before");
}

}  // namespace
