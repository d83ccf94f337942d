#include "tools/KovaVssShadow/lun_record_array.h"

#include <utility>

#include "tools/KovaVssShadow/lun_record.h"

LunRecordArray::LunRecordArray(size_t count) : records_(count), devices_(count) {}

LunRecordArray::~LunRecordArray() { Clear(); }

LunRecordArray::LunRecordArray(LunRecordArray&& other) noexcept
    : records_(std::move(other.records_)), devices_(std::move(other.devices_)) {
  other.records_.clear();
  other.devices_.clear();
}

LunRecordArray& LunRecordArray::operator=(LunRecordArray&& other) noexcept {
  if (this != &other) {
    Clear();
    records_ = std::move(other.records_);
    devices_ = std::move(other.devices_);
    other.records_.clear();
    other.devices_.clear();
  }
  return *this;
}

void LunRecordArray::Append(VDS_LUN_INFORMATION* record, const std::string& device) {
  // Reserve first so that a failed allocation leaves the record with the caller.
  records_.reserve(records_.size() + 1);
  devices_.reserve(devices_.size() + 1);
  devices_.push_back(device);
  records_.push_back(*record);
  *record = VDS_LUN_INFORMATION{};
}

void LunRecordArray::Append(LunRecordArray&& other) {
  records_.reserve(records_.size() + other.records_.size());
  devices_.reserve(devices_.size() + other.devices_.size());
  for (size_t i = 0; i < other.records_.size(); ++i) {
    records_.push_back(other.records_[i]);
    devices_.push_back(std::move(other.devices_[i]));
  }
  other.records_.clear();
  other.devices_.clear();
}

VSS_PWSZ* LunRecordArray::devices() {
  device_pointers_.clear();
  for (std::string& device : devices_) device_pointers_.push_back(&device[0]);
  return device_pointers_.empty() ? nullptr : device_pointers_.data();
}

void LunRecordArray::Clear() {
  for (VDS_LUN_INFORMATION& record : records_) FreeLunFields(&record);
  records_.clear();
  devices_.clear();
  device_pointers_.clear();
}
