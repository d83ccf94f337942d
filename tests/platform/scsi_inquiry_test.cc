// INQUIRY against paths that are no SCSI disks (the build machine has
// none): each failure is reported with its stage, its system error and a
// clear text, and QueryPage83VolumeName logs and maps it.
#include <gtest/gtest.h>

#include <cerrno>
#include <fstream>

#include "platform/scsi_inquiry.h"
#include "provider/identity/page83_volume_name.h"
#include "tests/support/scoped_test_log.h"
#include "tests/support/temp_dir.h"

namespace {

using platform::InquiryStage;
using platform::ScsiInquiryResult;

TEST(ScsiInquiryTest, PathThatDoesNotExistFailsToOpen) {
  std::vector<uint8_t> data = {1, 2, 3};
  const ScsiInquiryResult result = platform::RunScsiInquiry("/nonexistent/sdq", true, 0x83, &data);
  EXPECT_EQ(InquiryStage::kOpen, result.failed_stage);
  EXPECT_EQ(ENOENT, result.system_error);
  EXPECT_EQ("cannot open /nonexistent/sdq: no such device", result.error);
  EXPECT_TRUE(data.empty());
}

TEST(ScsiInquiryTest, DevicesWithoutSCSICommandsRefuseTheCommand) {
  TempDir dir;
  const std::string file = (dir.path() / "disk.img").string();
  std::ofstream(file) << std::string(4096, 'x');
  for (const std::string& device : {std::string("/dev/null"), file, dir.str()}) {
    std::vector<uint8_t> data;
    const ScsiInquiryResult result = platform::RunScsiInquiry(device, false, 0, &data);
    EXPECT_EQ(InquiryStage::kCommand, result.failed_stage) << device;
    EXPECT_EQ(ENOTTY, result.system_error) << device;
    EXPECT_EQ(device + " is not a SCSI device", result.error);
    EXPECT_TRUE(data.empty());
  }
}

TEST(ScsiInquiryTest, PageWithoutVpdIsNotSent) {
  std::vector<uint8_t> data;
  std::string error;
  EXPECT_FALSE(platform::ScsiInquiry("/dev/null", false, 0x83, &data, &error));
  EXPECT_EQ("invalid INQUIRY request for /dev/null", error);
  EXPECT_FALSE(platform::ScsiInquiry("/dev/null", true, 0x80, &data, nullptr));
}

TEST(ScsiSenseTest, FixedAndDescriptorFormatsNameTheSameCondition) {
  uint8_t fixed[18] = {0x70, 0, 0x05, 0, 0, 0, 0, 10, 0, 0, 0, 0, 0x24, 0x00};
  EXPECT_EQ("sense key 0x5 (ILLEGAL REQUEST), ASC 0x24, ASCQ 0x00",
            platform::DescribeScsiSense(fixed, sizeof fixed));
  const uint8_t descriptor[8] = {0x72, 0x06, 0x29, 0x01};
  EXPECT_EQ("sense key 0x6 (UNIT ATTENTION), ASC 0x29, ASCQ 0x01",
            platform::DescribeScsiSense(descriptor, sizeof descriptor));
}

TEST(ScsiSenseTest, ShortOrStrangeSenseDataIsDescribedAsFarAsItGoes) {
  const uint8_t fixed[13] = {0xF0, 0, 0x02, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x04};
  EXPECT_EQ("sense key 0x2 (NOT READY), ASC 0x04", platform::DescribeScsiSense(fixed, 13));
  EXPECT_EQ("sense key 0x2 (NOT READY)", platform::DescribeScsiSense(fixed, 3));
  EXPECT_EQ("sense data too short", platform::DescribeScsiSense(fixed, 2));
  const uint8_t vendor[4] = {0x7F, 1, 2, 3};
  EXPECT_EQ("sense data of unknown format 0x7F", platform::DescribeScsiSense(vendor, 4));
  EXPECT_EQ("no sense data", platform::DescribeScsiSense(nullptr, 0));
}

TEST(QueryPage83VolumeNameTest, MissingDeviceNameIsAPointerError) {
  std::string name = "kept";
  EXPECT_EQ(E_POINTER, QueryPage83VolumeName(utility::string_t(), name));
  EXPECT_EQ("kept", name);
}

TEST(QueryPage83VolumeNameTest, DeviceThatCannotBeOpenedIsLoggedWithItsErrorCode) {
  ScopedTestLog log(LOG_DEBUG);
  std::string name;
  EXPECT_EQ(E_FAIL, QueryPage83VolumeName(_XPLATSTR("/nonexistent/sdq"), name));
  EXPECT_EQ(
      1u,
      log.LinesContaining("Cannot open device '/nonexistent/sdq'. [CreateFile() error: 2]").size());
  EXPECT_EQ("", name);
}

TEST(QueryPage83VolumeNameTest, DeviceThatRefusesThePageIsLoggedWithItsErrorCode) {
  ScopedTestLog log(LOG_DEBUG);
  std::string name;
  EXPECT_EQ(E_FAIL, QueryPage83VolumeName(_XPLATSTR("/dev/null"), name));
  EXPECT_EQ(1u, log.LinesContaining("Failed Page 83 request for device '/dev/null', "
                                    "[DeviceIoControl() error: 25]")
                    .size());
  EXPECT_EQ(1u, log.LinesContaining("/dev/null is not a SCSI device").size());
}

}  // namespace
