#include "library/log/event_messages.h"

#include "library/log/event_catalogue.h"

namespace {

const EventMessage kMessages[] = {
    {static_cast<uint32_t>(kCategoryUserError), "User Error\r\n"},
    {static_cast<uint32_t>(kCategoryUserInformation), "User Information\r\n"},
    {kEventSnapshotCreated, "%1\r\n"},
    {kEventArrayConfigurationMissing,
     "A snapshot is requested for a KOVA disk but the corresponding array \r\n"
     "configuration is not found in the registry. Please run KovaProviderConfig to add \r\n"
     "the array IP address and user credentials into the registry.\r\n"},
    {kEventArrayUnreachable,
     "Could not establish communication with a storage array. The array will be ignored.\r\n"
     "%1 \r\n"},
    {kEventCallerNotAdministrator, "Caller does not have administrative privileges.\r\n"},
    {kEventInvalidArrayCredentials,
     "Invalid authorization credentials stored in the registry for one of the Arrays. \r\n"
     "Please make sure that both the Array URL and API Token are valid.\r\n"},
    {kEventArrayConnectionFailed, "Could not establish connection to the Array.\r\n"},
    {kEventSnapshotCreationFailed,
     "Snapshot creation failed.\r\n%1\r\nContact Kova Storage Support.\r\n"},
    {kEventHostInitiatorQueryFailed,
     "Obtaining IQN/WWN information from the host failed.\r\nContact Kova Storage Support.\r\n"},
    {kEventVolumeMappingFailed,
     "%1. Mapping the volume to host failed.\r\nContact Kova Storage Support.\r\n"},
    {kEventVolumeNotOnKnownArray,
     "Volume %1 does not exist in the list of lumenstacks known to the provider.\r\n"
     "Please make sure that the array IP address is registered with the Kova VSS provider.\r\n"},
    {kEventSnapshotDeletionFailed,
     "%1. Could not delete the snapshot from the lumenstack.\r\nContact Kova Storage Support.\r\n"},
    {kEventVolumeDeletionFailed,
     "%1. Could not delete the volume from the lumenstack.\r\nContact Kova Storage Support.\r\n"},
    {kEventVolumeUnmappingFailed,
     "%1. Could not mask the volume from the host.\r\nContact Kova Storage Support.\r\n"},
    {kEventPlexSnapshotsUnsupported, "This hardware Provider does not support Plex snapshots.\r\n"},
    {kEventVolumeCheckFailed,
     "Failed to check for the presence of volume/snapshot with the Kova Array.\r\n%1\r\n"
     "To check the status of the array, run the command: KovaProviderConfig list\r\n"},
    {kEventScsiInquiryFailed,
     "SCSI Enquiry command on kova volume %1 failed.\r\nContact Kova Storage Support.\r\n"},
    {kEventResyncFailed, "%1\r\nContact Kova Storage Support.\r\n"},
    {kEventSnapshotNotOnArray, "Snapshot %1 does not exist in the lumenstack.\r\n"},
};

}  // namespace

const EventMessage* EventMessages(size_t* count) {
  *count = sizeof kMessages / sizeof kMessages[0];
  return kMessages;
}

const char* EventMessageText(uint32_t id) {
  for (const EventMessage& message : kMessages) {
    if (message.id == id) return message.text;
  }
  return nullptr;
}

std::string RenderEventMessage(uint32_t id, const std::string& insertion) {
  const char* text = EventMessageText(id);
  if (!text) return insertion;
  std::string rendered;
  for (const char* p = text; *p; ++p) {
    if (p[0] == '%' && p[1] == '1') {
      rendered += insertion;
      ++p;
    } else {
      rendered.push_back(*p);
    }
  }
  return rendered;
}

std::string FlattenEventMessage(const std::string& text) {
  std::string flat;
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find_first_of("\r\n", start);
    if (end == std::string::npos) end = text.size();
    size_t last = end;
    while (last > start && (text[last - 1] == ' ' || text[last - 1] == '\t')) --last;
    if (last > start) {
      if (!flat.empty()) flat.push_back(' ');
      flat.append(text, start, last - start);
    }
    start = end + 1;
  }
  return flat;
}
