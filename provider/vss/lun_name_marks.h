// The marks by which the provider recognises, from a name on an array, the
// objects it made itself and so may delete:
// - a snapshot is named <volume>.VSS-<32 hexadecimal digits of the set GUID>;
// - a volume copy is named VSS-<serial of the snapshot it was made from>,
//   where a serial is at least 16 hexadecimal digits.
// Anything else was made by someone else and is never deleted.
#pragma once

#include <cstdint>
#include <string>

enum class LunNameKind { kUnknown, kVolumeCopy, kSnapshot };

// The copy mark is tried first, so a snapshot of a volume copy
// ("VSS-<serial>.VSS-<digits>") counts as a snapshot: its text after
// "VSS-" is not a serial.
LunNameKind ClassifyLunName(const std::string& name);

bool IsProviderSnapshotName(const std::string& name);
bool IsProviderVolumeCopyName(const std::string& name);

// The serial a volume copy's name carries; empty when |name| is no copy name.
std::string VolumeCopySourceSerial(const std::string& name);

// Whether the "DeleteSnaps" setting (0 to 3; higher counts as 3) lets an
// object of |kind| be deleted when VSS releases an imported LUN: 0 both
// kinds, 1 volume copies, 2 snapshots, 3 neither. Unknown objects never.
bool DeleteSnapsAllows(LunNameKind kind, uint32_t delete_snaps);
