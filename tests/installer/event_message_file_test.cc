// The event message file: its message compiler source as written from the
// log's message table, and the built ProviderEvents.dll, whose message
// table must say for every event identifier what the catalogue says.
#include <gtest/gtest.h>

#include "installer/events/message_compiler_source.h"
#include "library/log/event_catalogue.h"
#include "library/log/event_messages.h"
#include "tests/installer/pe_image.h"

#ifdef _WIN32
#include "platform/message_file.h"
#endif

namespace {

std::string SourceOf(const EventMessage& message, bool* ok) {
  std::string source;
  std::string error;
  *ok = WriteMessageCompilerSource(&message, 1, &source, &error);
  return *ok ? source : error;
}

TEST(MessageCompilerSourceTest, AMessageBlockCarriesSeverityCodeAndLines) {
  bool ok = false;
  const std::string source =
      SourceOf({0xC0003003, "Snapshot creation failed.\r\n%1\r\nContact.\r\n"}, &ok);
  ASSERT_TRUE(ok) << source;
  EXPECT_NE(source.find("MessageId=0x3003\r\nSeverity=Error\r\nFacility=Application\r\n"
                        "Language=English\r\nSnapshot creation failed.\r\n%1\r\nContact.\r\n.\r\n"),
            std::string::npos)
      << source;
  EXPECT_NE(source.find("LanguageNames=(English=0x409:MSG00409)\r\n"), std::string::npos);
}

TEST(MessageCompilerSourceTest, SeveritiesComeFromTheTopBits) {
  bool ok = false;
  EXPECT_NE(SourceOf({0x40003011, "%1\r\n"}, &ok).find("Severity=Informational\r\n"),
            std::string::npos);
  EXPECT_NE(SourceOf({0x80003017, "x\r\n"}, &ok).find("Severity=Warning\r\n"), std::string::npos);
  EXPECT_NE(SourceOf({1, "User Error\r\n"}, &ok).find("MessageId=0x1\r\nSeverity=Success\r\n"),
            std::string::npos);
}

TEST(MessageCompilerSourceTest, TrailingBlanksOfALineAreKept) {
  bool ok = false;
  EXPECT_NE(SourceOf({0x80003018, "Ignored.\r\n%1 \r\n"}, &ok).find("\r\n%1 \r\n.\r\n"),
            std::string::npos);
}

TEST(MessageCompilerSourceTest, TextsTheMessageCompilerCannotExpressAreRefused) {
  for (const EventMessage& message : std::vector<EventMessage>{
           {0xC0003000, "no line end"},
           {0xC0003000, "bare\nline feed\r\n"},
           {0xC0003000, "an end\r\n.\r\nmarker\r\n"},
           {0xC0003000, "100% sure\r\n"},
           {0xC0003000, "%\r\n"},
           {0xC0003000, ""},
           {0xE0003000, "customer bit\r\n"},
           {0xC0073000, "facility\r\n"},
       }) {
    bool ok = true;
    SourceOf(message, &ok);
    EXPECT_FALSE(ok) << message.text;
  }
}

TEST(MessageCompilerSourceTest, TheWholeCatalogueCanBeWritten) {
  size_t count = 0;
  const EventMessage* messages = EventMessages(&count);
  std::string source;
  std::string error;
  EXPECT_TRUE(WriteMessageCompilerSource(messages, count, &source, &error)) << error;
}

#ifdef KOVA_PROVIDER_EVENTS_DLL
class ProviderEventsDllTest : public testing::Test {
 protected:
  void SetUp() override {
    std::string error;
    ASSERT_TRUE(ReadPeImage(KOVA_PROVIDER_EVENTS_DLL, &image_, &error)) << error;
  }
  PeImage image_;
};

TEST_F(ProviderEventsDllTest, IsAResourceOnly64BitModule) {
  EXPECT_EQ(image_.machine, kMachineAmd64);
  EXPECT_TRUE(image_.characteristics & kImageFileDll);
  EXPECT_EQ(image_.entry_point, 0u);
  EXPECT_EQ(image_.import_directory_size, 0u);
  EXPECT_EQ(image_.sections, std::vector<std::string>{".rsrc"});
}

TEST_F(ProviderEventsDllTest, HoldsEveryCatalogueMessageInAnsiText) {
  const auto table = image_.resources.find({kResourceTypeMessageTable, 1});
  ASSERT_NE(table, image_.resources.end());
  const std::map<uint32_t, MessageTableEntry> entries = ParseMessageTable(table->second);
  size_t count = 0;
  const EventMessage* messages = EventMessages(&count);
  ASSERT_EQ(entries.size(), count);
  for (size_t i = 0; i < count; ++i) {
    const auto entry = entries.find(messages[i].id);
    ASSERT_NE(entry, entries.end()) << std::hex << messages[i].id;
    EXPECT_FALSE(entry->second.unicode);
    EXPECT_EQ(entry->second.text, messages[i].text) << std::hex << messages[i].id;
  }
}

TEST_F(ProviderEventsDllTest, EveryReportedEventHasItsMessageAndTheCategoriesTheirNames) {
  const auto entries = ParseMessageTable(image_.resources[{kResourceTypeMessageTable, 1}]);
  EXPECT_EQ(entries.at(kCategoryUserError).text, "User Error\r\n");
  EXPECT_EQ(entries.at(kCategoryUserInformation).text, "User Information\r\n");
  EXPECT_EQ(entries.at(kEventCallerNotAdministrator).text,
            "Caller does not have administrative privileges.\r\n");
  EXPECT_EQ(entries.at(kEventArrayUnreachable).text,
            "Could not establish communication with a storage array. The array will be "
            "ignored.\r\n%1 \r\n");
  for (const uint32_t id :
       {kEventSnapshotCreationFailed, kEventHostInitiatorQueryFailed, kEventVolumeMappingFailed,
        kEventVolumeNotOnKnownArray, kEventSnapshotDeletionFailed, kEventVolumeUnmappingFailed,
        kEventSnapshotCreated, kEventPlexSnapshotsUnsupported, kEventVolumeCheckFailed,
        kEventResyncFailed, kEventSnapshotNotOnArray, kEventArrayConfigurationMissing}) {
    EXPECT_EQ(entries.count(id), 1u) << std::hex << id;
  }
}

TEST_F(ProviderEventsDllTest, CarriesItsVersionResource) {
  const auto version = image_.resources.find({kResourceTypeVersion, 1});
  ASSERT_NE(version, image_.resources.end());
  for (const char* text :
       {"1.0.3", "ProviderEvents.dll",
        "KovaStorage VSS Hardware Provider Event Log Messages (64-bit Release)",
        "Kova Storage VSS Hardware Provider (64-bit)", "FileVersion", "ProductVersion",
        "InternalName", "OriginalFilename", "FileDescription", "ProductName"}) {
    EXPECT_TRUE(ContainsUtf16(version->second, text)) << text;
  }
  // VS_FIXEDFILEINFO: signature, structure version, file version 1.0.3.0.
  const std::vector<uint8_t> fixed = {0xBD, 0x04, 0xEF, 0xFE, 0x00, 0x00, 0x01, 0x00,
                                      0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x03, 0x00};
  EXPECT_NE(std::search(version->second.begin(), version->second.end(), fixed.begin(),
                        fixed.end()),
            version->second.end());
}

#ifdef _WIN32
TEST_F(ProviderEventsDllTest, WindowsRendersEveryEventAsTheCatalogueDoes) {
  size_t count = 0;
  const EventMessage* messages = EventMessages(&count);
  for (size_t i = 0; i < count; ++i) {
    std::string text;
    ASSERT_TRUE(platform::FormatFileMessage(KOVA_PROVIDER_EVENTS_DLL, messages[i].id,
                                            {"Array name:kova1"}, &text))
        << std::hex << messages[i].id;
    EXPECT_EQ(text, RenderEventMessage(messages[i].id, "Array name:kova1"))
        << std::hex << messages[i].id;
  }
}
#endif
#endif

}  // namespace
