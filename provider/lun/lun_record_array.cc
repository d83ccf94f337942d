#include "provider/lun/lun_record_array.h"

#include <utility>

#include "provider/lun/lun_record.h"

LunRecordArray::LunRecordArray(size_t count) : records_(count), devices_(count) {}

LunRecordArray::~LunRecordArray() { Clear(); }

LunRecordArray::LunRecordArray(LunRecordArray&& other) noexcept
    : records_(std::move(other.records_)), devices_(std::move(other.devices_)) {
  other.Clear();
}

LunRecordArray& LunRecordArray::operator=(LunRecordArray&& other) noexcept {
  if (this != &other) {
    Clear();
    records_ = std::move(other.records_);
    devices_ = std::move(other.devices_);
    other.records_.clear();
    other.devices_.clear();
    other.device_pointers_.clear();
  }
  return *this;
}

void LunRecordArray::Append(VDS_LUN_INFORMATION* record, const LunDeviceName& device) {
  Add(record, device);
}

void LunRecordArray::Append(VDS_LUN_INFORMATION* record) { Add(record, std::nullopt); }

void LunRecordArray::Append(LunRecordArray&& other) {
  records_.reserve(records_.size() + other.records_.size());
  devices_.reserve(devices_.size() + other.devices_.size());
  for (size_t i = 0; i < other.records_.size(); ++i) {
    records_.push_back(other.records_[i]);
    devices_.push_back(std::move(other.devices_[i]));
  }
  other.records_.clear();
  other.devices_.clear();
  other.device_pointers_.clear();
}

const LunDeviceName& LunRecordArray::device(size_t index) const {
  static const LunDeviceName kNone;
  const std::optional<LunDeviceName>& name = devices_.at(index);
  return name ? *name : kNone;
}

VSS_PWSZ* LunRecordArray::devices() {
  device_pointers_.clear();
  for (std::optional<LunDeviceName>& name : devices_) {
    device_pointers_.push_back(name ? &(*name)[0] : nullptr);
  }
  return device_pointers_.empty() ? nullptr : device_pointers_.data();
}

void LunRecordArray::Add(VDS_LUN_INFORMATION* record, std::optional<LunDeviceName> device) {
  // Reserve first so that a failed allocation leaves the record with the caller.
  records_.reserve(records_.size() + 1);
  devices_.reserve(devices_.size() + 1);
  devices_.push_back(std::move(device));
  records_.push_back(*record);
  *record = VDS_LUN_INFORMATION{};
}

void LunRecordArray::Clear() {
  for (VDS_LUN_INFORMATION& record : records_) FreeLunInformation(record);
  records_.clear();
  devices_.clear();
  device_pointers_.clear();
}
