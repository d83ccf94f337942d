// An owned, contiguous array of LUN records in task memory with the device
// name of each, laid out as the provider methods take them (a count, an
// array of device names, an array of records).
#pragma once

#include <string>
#include <vector>

#include "platform/vss_compat.h"

class LunRecordArray {
 public:
  LunRecordArray() = default;
  // |count| zeroed records without device names: what VSS hands a provider
  // to fill in GetTargetLuns.
  explicit LunRecordArray(size_t count);
  ~LunRecordArray();  // FreeLunFields on every record
  LunRecordArray(LunRecordArray&& other) noexcept;
  LunRecordArray& operator=(LunRecordArray&& other) noexcept;
  LunRecordArray(const LunRecordArray&) = delete;
  LunRecordArray& operator=(const LunRecordArray&) = delete;

  // Takes over the task memory of |record| (which is zeroed) with its
  // device name ("" for a record that names no device).
  void Append(VDS_LUN_INFORMATION* record, const std::string& device);
  // Moves every record of |other| to the end of this array.
  void Append(LunRecordArray&& other);

  size_t size() const { return records_.size(); }
  LONG count() const { return static_cast<LONG>(records_.size()); }
  // Valid until the next Append; null when the array is empty.
  VDS_LUN_INFORMATION* data() { return records_.empty() ? nullptr : records_.data(); }
  const VDS_LUN_INFORMATION* data() const { return records_.empty() ? nullptr : records_.data(); }
  VDS_LUN_INFORMATION& operator[](size_t index) { return records_[index]; }
  const VDS_LUN_INFORMATION& operator[](size_t index) const { return records_[index]; }
  const std::string& device(size_t index) const { return devices_[index]; }
  // The device names as VSS passes them; valid until the next Append.
  VSS_PWSZ* devices();

 private:
  void Clear();

  std::vector<VDS_LUN_INFORMATION> records_;
  std::vector<std::string> devices_;
  std::vector<VSS_PWSZ> device_pointers_;
};
