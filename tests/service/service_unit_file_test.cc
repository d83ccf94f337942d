// The unit file that stands for a service of the service manager on POSIX:
// what it keeps through a write and a read, and what it refuses.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "platform/service_unit_file.h"

using testing::HasSubstr;

namespace {

platform::ServiceUnit SampleUnit() {
  platform::ServiceUnit unit;
  unit.definition.name = "KovaProvider";
  unit.definition.display_name = "Kova 100% (64-bit)";
  unit.definition.binary_path = "\"/opt/k$v\\a/KovaProvider\"";
  unit.definition.start_type = platform::ServiceStartType::kAutomatic;
  unit.definition.dependencies = {"VSS", "Other"};
  unit.description = "line one\nline two\n\n";
  return unit;
}

TEST(ServiceUnitFileTest, KeepsEverythingTheManagerRecordsThroughAWriteAndARead) {
  const platform::ServiceUnit unit = SampleUnit();
  const std::string text = platform::FormatServiceUnit(unit);
  EXPECT_THAT(text, HasSubstr("Description=Kova 100%% (64-bit)\n"));
  EXPECT_THAT(text, HasSubstr("ExecStart=\"/opt/k$$v\\\\a/KovaProvider\"\n"));
  EXPECT_THAT(text, HasSubstr("X-KovaDescription=line one\\nline two\\n\\n\n"));
  EXPECT_THAT(text, HasSubstr("Wants=VSS.service Other.service\nAfter=VSS.service Other.service\n"));
  EXPECT_THAT(text, HasSubstr("[Install]\nWantedBy=multi-user.target\n"));
  platform::ServiceUnit read;
  ASSERT_TRUE(platform::ParseServiceUnit(text, &read));
  EXPECT_EQ(unit.definition.name, read.definition.name);
  EXPECT_EQ(unit.definition.display_name, read.definition.display_name);
  EXPECT_EQ(unit.definition.binary_path, read.definition.binary_path);
  EXPECT_EQ(unit.definition.start_type, read.definition.start_type);
  EXPECT_EQ(unit.definition.dependencies, read.definition.dependencies);
  EXPECT_EQ(unit.description, read.description);
}

TEST(ServiceUnitFileTest, ADemandStartServiceHasNoInstallSection) {
  platform::ServiceUnit unit = SampleUnit();
  unit.definition.start_type = platform::ServiceStartType::kDemand;
  const std::string text = platform::FormatServiceUnit(unit);
  EXPECT_EQ(std::string::npos, text.find("[Install]"));
  platform::ServiceUnit read;
  ASSERT_TRUE(platform::ParseServiceUnit(text, &read));
  EXPECT_EQ(platform::ServiceStartType::kDemand, read.definition.start_type);
}

TEST(ServiceUnitFileTest, TextThatIsNoUnitOfOursIsRefused) {
  platform::ServiceUnit read;
  EXPECT_FALSE(platform::ParseServiceUnit("", &read));
  EXPECT_FALSE(platform::ParseServiceUnit("[Unit]\nDescription=x\n", &read));
  EXPECT_FALSE(platform::ParseServiceUnit("[Service]\nExecStart=/x\nno equals sign\n", &read));
  EXPECT_TRUE(platform::ParseServiceUnit("[Service]\n# note\nExecStart=/x\n", &read));
}

}  // namespace
