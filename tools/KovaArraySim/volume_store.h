// The volumes and snapshots of the emulated array, live and destroyed.
// Not thread-safe: ArrayState guards it.
#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace kova_sim {

struct StoredVolume {
  std::string name;
  std::string serial;
  std::string source;  // the volume or snapshot it was made from; empty for none
  int64_t size = 0;
  std::string created;
  bool snapshot = false;
  bool destroyed = false;  // destroyed objects keep their name until eradicated
  uint64_t sequence = 0;   // creation order
};

class VolumeStore {
 public:
  // serial_prefix: the 16 characters that begin every serial handed out.
  explicit VolumeStore(std::string serial_prefix);

  // nullptr when no object, live or destroyed, has the name.
  const StoredVolume* Find(const std::string& name) const;
  StoredVolume* Find(const std::string& name);

  // Stores a new object under an unused name. An empty serial is replaced by
  // the next free one: the prefix followed by an 8-digit counter.
  const StoredVolume& Add(StoredVolume volume);
  void Remove(const std::string& name);

  // Live volumes or live snapshots, in creation order.
  std::vector<const StoredVolume*> Live(bool snapshots) const;
  std::vector<const StoredVolume*> Destroyed() const;

 private:
  std::string NextSerial();
  std::vector<const StoredVolume*> Select(bool destroyed, bool snapshots, bool any_kind) const;

  std::string prefix_;
  uint64_t next_counter_ = 1;
  uint64_t next_sequence_ = 1;
  std::map<std::string, StoredVolume> by_name_;
  std::set<std::string> serials_;  // never reused, not even after eradication
};

}  // namespace kova_sim
