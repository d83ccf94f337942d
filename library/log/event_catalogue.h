// The event source, types, categories and identifiers that the provider
// reports to the machine's event log. The identifiers are message
// identifiers of the event message file: severity in the top two bits,
// facility 0, and the code that the event viewer shows as the event ID in
// the low 16 bits (0xC0003000 shows as 12288).
#pragma once

#include <cstdint>

#include "platform/event_log.h"

inline constexpr char kEventSourceName[] = "KovaProvider";

using platform::kEventTypeError;        // 1
using platform::kEventTypeWarning;      // 2
using platform::kEventTypeInformation;  // 4

inline constexpr int kCategoryUserError = 1;        // "User Error"
inline constexpr int kCategoryUserInformation = 2;  // "User Information"

// An unauthorised caller; also commit calls out of order and unexpected
// snapshot set identifiers in the late commit and abort calls.
inline constexpr uint32_t kEventCallerNotAdministrator = 0xC0003000;
inline constexpr uint32_t kEventInvalidArrayCredentials =
    0xC0003001;                                                      // not reported by the provider
inline constexpr uint32_t kEventArrayConnectionFailed = 0xC0003002;  // not reported by the provider
// Also prepare calls out of order and volume copy failures during import.
inline constexpr uint32_t kEventSnapshotCreationFailed = 0xC0003003;
inline constexpr uint32_t kEventHostInitiatorQueryFailed = 0xC0003005;
inline constexpr uint32_t kEventVolumeMappingFailed = 0xC0003006;
inline constexpr uint32_t kEventVolumeNotOnKnownArray = 0xC0003007;
inline constexpr uint32_t kEventSnapshotDeletionFailed = 0xC0003008;
inline constexpr uint32_t kEventVolumeDeletionFailed = 0xC0003009;  // not reported by the provider
inline constexpr uint32_t kEventVolumeUnmappingFailed = 0xC0003010;
inline constexpr uint32_t kEventSnapshotCreated = 0x40003011;
inline constexpr uint32_t kEventPlexSnapshotsUnsupported = 0xC0003012;
inline constexpr uint32_t kEventVolumeCheckFailed = 0xC0003013;
inline constexpr uint32_t kEventScsiInquiryFailed = 0xC0003014;  // not reported by the provider
inline constexpr uint32_t kEventResyncFailed = 0xC0003015;
inline constexpr uint32_t kEventSnapshotNotOnArray = 0xC0003016;
inline constexpr uint32_t kEventArrayConfigurationMissing = 0x80003017;
inline constexpr uint32_t kEventArrayUnreachable = 0x80003018;
