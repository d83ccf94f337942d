#include "library/log/event_messages.h"

#include <gtest/gtest.h>

#include <cstring>

#include "library/log/event_catalogue.h"

namespace {

TEST(LogEventMessages, EveryCatalogueIdentifierHasAMessageEndingWithCrLf) {
  for (uint32_t id :
       {kEventCallerNotAdministrator, kEventInvalidArrayCredentials, kEventArrayConnectionFailed,
        kEventSnapshotCreationFailed, kEventHostInitiatorQueryFailed, kEventVolumeMappingFailed,
        kEventVolumeNotOnKnownArray, kEventSnapshotDeletionFailed, kEventVolumeDeletionFailed,
        kEventVolumeUnmappingFailed, kEventSnapshotCreated, kEventPlexSnapshotsUnsupported,
        kEventVolumeCheckFailed, kEventScsiInquiryFailed, kEventResyncFailed,
        kEventSnapshotNotOnArray, kEventArrayConfigurationMissing, kEventArrayUnreachable}) {
    const char* text = EventMessageText(id);
    ASSERT_NE(text, nullptr) << std::hex << id;
    const size_t length = std::strlen(text);
    ASSERT_GE(length, 2u);
    EXPECT_STREQ(text + length - 2, "\r\n") << std::hex << id;
  }
  EXPECT_STREQ(EventMessageText(kCategoryUserError), "User Error\r\n");
  EXPECT_STREQ(EventMessageText(kCategoryUserInformation), "User Information\r\n");
  EXPECT_EQ(EventMessageText(0xC0003004), nullptr);
  size_t count = 0;
  EventMessages(&count);
  EXPECT_EQ(count, 20u);
}

TEST(LogEventMessages, RenderReplacesTheInsertionStringOnce) {
  EXPECT_EQ(RenderEventMessage(kEventSnapshotCreationFailed, "Internal error"),
            "Snapshot creation failed.\r\nInternal error\r\nContact Kova Storage Support.\r\n");
  EXPECT_EQ(RenderEventMessage(kEventSnapshotNotOnArray, "snap%1"),
            "Snapshot snap%1 does not exist in the lumenstack.\r\n");
  EXPECT_EQ(RenderEventMessage(kEventPlexSnapshotsUnsupported, "ignored"),
            "This hardware Provider does not support Plex snapshots.\r\n");
  EXPECT_EQ(RenderEventMessage(0x12345678, "own words"), "own words");
}

TEST(LogEventMessages, FlattenJoinsLinesAndDropsEmptyOnes) {
  EXPECT_EQ(FlattenEventMessage(RenderEventMessage(kEventSnapshotCreationFailed, "")),
            "Snapshot creation failed. Contact Kova Storage Support.");
  EXPECT_EQ(FlattenEventMessage(RenderEventMessage(kEventArrayUnreachable, "Array name:a1")),
            "Could not establish communication with a storage array. The array will be "
            "ignored. Array name:a1");
  EXPECT_EQ(FlattenEventMessage(RenderEventMessage(kEventArrayConfigurationMissing, "")),
            "A snapshot is requested for a KOVA disk but the corresponding array configuration "
            "is not found in the registry. Please run KovaProviderConfig to add the array IP "
            "address and user credentials into the registry.");
  EXPECT_EQ(FlattenEventMessage("one\ntwo  \r\n\r\n  three"), "one two   three");
  EXPECT_EQ(FlattenEventMessage(""), "");
}

}  // namespace
