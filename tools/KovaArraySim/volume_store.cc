#include "tools/KovaArraySim/volume_store.h"

#include <algorithm>
#include <cstdio>
#include <stdexcept>

namespace kova_sim {

VolumeStore::VolumeStore(std::string serial_prefix) : prefix_(std::move(serial_prefix)) {}

const StoredVolume* VolumeStore::Find(const std::string& name) const {
  auto it = by_name_.find(name);
  return it == by_name_.end() ? nullptr : &it->second;
}

StoredVolume* VolumeStore::Find(const std::string& name) {
  auto it = by_name_.find(name);
  return it == by_name_.end() ? nullptr : &it->second;
}

const StoredVolume& VolumeStore::Add(StoredVolume volume) {
  if (by_name_.count(volume.name) != 0) throw std::logic_error("object name in use: " + volume.name);
  if (volume.serial.empty()) volume.serial = NextSerial();
  serials_.insert(volume.serial);
  volume.sequence = next_sequence_++;
  std::string name = volume.name;
  return by_name_.emplace(std::move(name), std::move(volume)).first->second;
}

void VolumeStore::Remove(const std::string& name) { by_name_.erase(name); }

std::vector<const StoredVolume*> VolumeStore::Live(bool snapshots) const {
  return Select(false, snapshots, false);
}

std::vector<const StoredVolume*> VolumeStore::Destroyed() const { return Select(true, false, true); }

std::vector<const StoredVolume*> VolumeStore::Select(bool destroyed, bool snapshots, bool any_kind) const {
  std::vector<const StoredVolume*> result;
  for (const auto& entry : by_name_) {
    const StoredVolume& v = entry.second;
    if (v.destroyed == destroyed && (any_kind || v.snapshot == snapshots)) result.push_back(&v);
  }
  std::sort(result.begin(), result.end(),
            [](const StoredVolume* a, const StoredVolume* b) { return a->sequence < b->sequence; });
  return result;
}

std::string VolumeStore::NextSerial() {
  // Seeded serials may already use some counter values: skip them.
  for (; next_counter_ <= 99999999; ++next_counter_) {
    char counter[16];
    std::snprintf(counter, sizeof(counter), "%08llu", static_cast<unsigned long long>(next_counter_));
    std::string serial = prefix_ + counter;
    if (serials_.count(serial) == 0) {
      ++next_counter_;
      return serial;
    }
  }
  throw std::runtime_error("the array has run out of serial numbers");
}

}  // namespace kova_sim
