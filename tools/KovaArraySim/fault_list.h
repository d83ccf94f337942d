// Injected faults, matched against incoming requests in injection order.
// Thread-safe.
#pragma once

#include <deque>
#include <mutex>
#include <optional>
#include <string>

#include "tools/KovaArraySim/fault.h"

namespace kova_sim {

class FaultList {
 public:
  // Throws std::invalid_argument for times 0 or below -1, a status outside
  // 100-999, or a negative delay.
  static void Validate(const Fault& fault);

  void Add(const Fault& fault);  // validates; the method is upper-cased
  void Clear();
  // The first fault whose method and path filter match; uses up one of its
  // times and removes it when none are left.
  std::optional<Fault> Take(const std::string& method, const std::string& target);
  size_t Size() const;

 private:
  mutable std::mutex mutex_;
  std::deque<Fault> faults_;
};

}  // namespace kova_sim
