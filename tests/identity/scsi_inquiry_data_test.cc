// The standard INQUIRY answer and the unit serial number page as devices
// send them, whole, cut short and with lengths that do not match.
#include <gtest/gtest.h>

#include "provider/identity/scsi_inquiry_data.h"
#include "tests/identity/page_bytes.h"

namespace {

using namespace identity_test;
using kova::StandardInquiry;

TEST(StandardInquiryTest, FieldsOfAWholeAnswerKeepTheirPadding) {
  Bytes answer = InquiryAnswer("KOVA", "Lumenstack", "1.2");
  answer[0] = 0x0D;  // enclosure services device
  answer[1] = 0x85;  // removable, modifier 5
  StandardInquiry inquiry;
  ASSERT_TRUE(kova::ParseStandardInquiry(answer, &inquiry));
  EXPECT_EQ("KOVA    ", inquiry.vendor);
  EXPECT_EQ("Lumenstack      ", inquiry.product);
  EXPECT_EQ("1.2 ", inquiry.revision);
  EXPECT_EQ(0x0D, inquiry.device_type);
  EXPECT_EQ(0, inquiry.peripheral_qualifier);
  EXPECT_EQ(5, inquiry.device_type_modifier);
  EXPECT_TRUE(inquiry.removable);
  EXPECT_TRUE(inquiry.command_queueing);
  EXPECT_EQ(6, inquiry.version);
}

TEST(StandardInquiryTest, QualifierAndQueueingBitsAreReadApart) {
  Bytes answer = InquiryAnswer("KOVA", "Lumenstack", "1.2");
  answer[0] = 0x7F;
  answer[7] = 0xFD;  // every bit but CmdQue
  StandardInquiry inquiry;
  ASSERT_TRUE(kova::ParseStandardInquiry(answer, &inquiry));
  EXPECT_EQ(3, inquiry.peripheral_qualifier);
  EXPECT_EQ(0x1F, inquiry.device_type);
  EXPECT_FALSE(inquiry.command_queueing);
}

TEST(StandardInquiryTest, ShortAnswersGiveShortFields) {
  const Bytes answer = InquiryAnswer("KOVA", "Lumenstack", "1.2");
  StandardInquiry inquiry;
  ASSERT_TRUE(kova::ParseStandardInquiry(Bytes(answer.begin(), answer.begin() + 20), &inquiry));
  EXPECT_EQ("KOVA    ", inquiry.vendor);
  EXPECT_EQ("Lume", inquiry.product);
  EXPECT_EQ("", inquiry.revision);
  ASSERT_TRUE(kova::ParseStandardInquiry(Bytes(answer.begin(), answer.begin() + 5), &inquiry));
  EXPECT_EQ("", inquiry.vendor);
  EXPECT_FALSE(inquiry.command_queueing);
  for (size_t size = 0; size < 5; ++size) {
    EXPECT_FALSE(
        kova::ParseStandardInquiry(Bytes(answer.begin(), answer.begin() + size), &inquiry));
  }
}

TEST(StandardInquiryTest, AdditionalLengthBoundsTheFields) {
  // The device moved 36 bytes but says only 10 follow the header.
  StandardInquiry inquiry;
  ASSERT_TRUE(kova::ParseStandardInquiry(InquiryAnswer("KOVA", "Lumenstack", "1.2", 10), &inquiry));
  EXPECT_EQ("KOVA   ", inquiry.vendor);
  EXPECT_EQ("", inquiry.product);
  // Says 250 follow, moved 36: the fields are all there.
  ASSERT_TRUE(
      kova::ParseStandardInquiry(InquiryAnswer("KOVA", "Lumenstack", "1.2", 250), &inquiry));
  EXPECT_EQ("1.2 ", inquiry.revision);
}

TEST(UnitSerialPageTest, SerialIsTrimmedOfPadding) {
  std::string serial;
  ASSERT_TRUE(kova::ParseUnitSerialNumberPage(
      VpdPage(0x80, BytesOf("  6A1B2C3D4E5F60718293A4B5  ")), &serial));
  EXPECT_EQ("6A1B2C3D4E5F60718293A4B5", serial);
  Bytes nul_padded = BytesOf("ABC123");
  nul_padded.insert(nul_padded.begin(), {0, 0});
  nul_padded.insert(nul_padded.end(), {0, 'Z', 0});
  ASSERT_TRUE(kova::ParseUnitSerialNumberPage(VpdPage(0x80, nul_padded), &serial));
  EXPECT_EQ("ABC123", serial);
  ASSERT_TRUE(kova::ParseUnitSerialNumberPage(VpdPage(0x80, BytesOf("    ")), &serial));
  EXPECT_EQ("", serial);
}

TEST(UnitSerialPageTest, LengthsThatDoNotMatchTheData) {
  std::string serial;
  ASSERT_TRUE(kova::ParseUnitSerialNumberPage(VpdPage(0x80, BytesOf("ABCDEFGH"), 4), &serial));
  EXPECT_EQ("ABCD", serial);
  ASSERT_TRUE(kova::ParseUnitSerialNumberPage(VpdPage(0x80, BytesOf("ABCDEFGH"), 300), &serial));
  EXPECT_EQ("ABCDEFGH", serial);
}

TEST(UnitSerialPageTest, OtherBytesAreRefused) {
  std::string serial = "kept";
  EXPECT_FALSE(kova::ParseUnitSerialNumberPage({0x00, 0x80, 0x00}, &serial));
  EXPECT_FALSE(kova::ParseUnitSerialNumberPage(VpdPage(0x83, BytesOf("ABC")), &serial));
  EXPECT_FALSE(kova::ParseUnitSerialNumberPage({}, &serial));
  EXPECT_EQ("kept", serial);
}

}  // namespace
