// An owned, contiguous array of LUN records in task memory, each with the
// device name VSS would give for it or none, laid out as the provider
// methods take them: a count, an array of device names, an array of records.
#pragma once

#include <optional>
#include <string>
#include <type_traits>
#include <vector>

#include "platform/vss_compat.h"

// A device name in the characters of VSS_PWSZ (UTF-8 here, UTF-16 on
// Windows).
using LunDeviceName = std::basic_string<std::remove_pointer_t<VSS_PWSZ>>;

class LunRecordArray {
 public:
  LunRecordArray() = default;
  // |count| zeroed records without device names: what VSS hands a provider
  // to fill in GetTargetLuns.
  explicit LunRecordArray(size_t count);
  ~LunRecordArray();  // FreeLunInformation on every record
  LunRecordArray(LunRecordArray&& other) noexcept;
  LunRecordArray& operator=(LunRecordArray&& other) noexcept;
  LunRecordArray(const LunRecordArray&) = delete;
  LunRecordArray& operator=(const LunRecordArray&) = delete;

  // Takes over the task memory of |record| (which is zeroed), with the
  // device name |device| (an empty name is still a name) or with none.
  // When the array cannot grow, std::bad_alloc leaves |record| as it was.
  void Append(VDS_LUN_INFORMATION* record, const LunDeviceName& device);
  void Append(VDS_LUN_INFORMATION* record);
  // Moves every record of |other| to the end of this array.
  void Append(LunRecordArray&& other);

  size_t size() const { return records_.size(); }
  LONG count() const { return static_cast<LONG>(records_.size()); }
  // Valid until the next Append; null when the array is empty.
  VDS_LUN_INFORMATION* data() { return records_.empty() ? nullptr : records_.data(); }
  const VDS_LUN_INFORMATION* data() const { return records_.empty() ? nullptr : records_.data(); }
  // Throws std::out_of_range past the end.
  VDS_LUN_INFORMATION& operator[](size_t index) { return records_.at(index); }
  const VDS_LUN_INFORMATION& operator[](size_t index) const { return records_.at(index); }
  // The device name of record |index|; "" when it has none.
  const LunDeviceName& device(size_t index) const;
  // The device names as VSS passes them, null for a record without one;
  // valid until the next Append. Null when the array is empty.
  VSS_PWSZ* devices();

 private:
  void Add(VDS_LUN_INFORMATION* record, std::optional<LunDeviceName> device);
  void Clear();

  std::vector<VDS_LUN_INFORMATION> records_;
  std::vector<std::optional<LunDeviceName>> devices_;
  std::vector<VSS_PWSZ> device_pointers_;
};
