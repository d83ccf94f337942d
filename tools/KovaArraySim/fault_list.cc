#include "tools/KovaArraySim/fault_list.h"

#include <cctype>
#include <stdexcept>

namespace kova_sim {

void FaultList::Validate(const Fault& fault) {
  if (fault.times == 0 || fault.times < -1) {
    throw std::invalid_argument("fault times must be -1 (forever) or at least 1");
  }
  if (fault.status < 100 || fault.status > 999) {
    throw std::invalid_argument("fault status must be between 100 and 999");
  }
  if (fault.delay_ms < 0) throw std::invalid_argument("fault delay_ms must not be negative");
  if (fault.skip < 0) throw std::invalid_argument("fault skip must not be negative");
}

void FaultList::Add(const Fault& fault) {
  Validate(fault);
  Fault stored = fault;
  for (char& c : stored.method) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  std::lock_guard<std::mutex> lock(mutex_);
  faults_.push_back(std::move(stored));
}

void FaultList::Clear() {
  std::lock_guard<std::mutex> lock(mutex_);
  faults_.clear();
}

std::optional<Fault> FaultList::Take(const std::string& method, const std::string& target) {
  std::lock_guard<std::mutex> lock(mutex_);
  for (auto it = faults_.begin(); it != faults_.end(); ++it) {
    if (!it->method.empty() && it->method != method) continue;
    if (target.find(it->path_contains) == std::string::npos) continue;
    if (it->skip > 0) {
      --it->skip;
      return std::nullopt;
    }
    Fault matched = *it;
    if (it->times > 0 && --it->times == 0) faults_.erase(it);
    return matched;
  }
  return std::nullopt;
}

size_t FaultList::Size() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return faults_.size();
}

}  // namespace kova_sim
