#include "provider/vss/lun_name_marks.h"

#include <algorithm>
#include <cctype>

namespace {

constexpr char kMark[] = "VSS-";
constexpr size_t kMarkLength = 4;
constexpr char kSnapshotMark[] = ".VSS-";
constexpr size_t kSnapshotMarkLength = 5;
constexpr size_t kSetIdDigits = 32;
// Serials shorter than this cannot be matched to an array.
constexpr size_t kMinimumSerialLength = 16;

bool IsHexText(const std::string& text) {
  return std::all_of(text.begin(), text.end(),
                     [](char c) { return std::isxdigit(static_cast<unsigned char>(c)) != 0; });
}

}  // namespace

bool IsProviderVolumeCopyName(const std::string& name) {
  if (name.compare(0, kMarkLength, kMark) != 0) return false;
  const std::string serial = name.substr(kMarkLength);
  return serial.size() >= kMinimumSerialLength && IsHexText(serial);
}

bool IsProviderSnapshotName(const std::string& name) {
  const size_t tail = kSnapshotMarkLength + kSetIdDigits;
  // A snapshot belongs to a volume, whose name is not empty.
  if (name.size() <= tail) return false;
  const size_t mark = name.size() - tail;
  return name.compare(mark, kSnapshotMarkLength, kSnapshotMark) == 0 &&
         IsHexText(name.substr(mark + kSnapshotMarkLength));
}

LunNameKind ClassifyLunName(const std::string& name) {
  if (IsProviderVolumeCopyName(name)) return LunNameKind::kVolumeCopy;
  if (IsProviderSnapshotName(name)) return LunNameKind::kSnapshot;
  return LunNameKind::kUnknown;
}

std::string VolumeCopySourceSerial(const std::string& name) {
  return IsProviderVolumeCopyName(name) ? name.substr(kMarkLength) : std::string();
}

bool DeleteSnapsAllows(LunNameKind kind, uint32_t delete_snaps) {
  switch (kind) {
    case LunNameKind::kVolumeCopy:
      return delete_snaps == 0 || delete_snaps == 1;
    case LunNameKind::kSnapshot:
      return delete_snaps == 0 || delete_snaps == 2;
    case LunNameKind::kUnknown:
      break;
  }
  return false;
}
