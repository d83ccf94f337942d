#include "tools/KovaArraySim/cancellable_sleep.h"

namespace kova_sim {

bool CancellableSleep::SleepFor(std::chrono::milliseconds duration) {
  std::unique_lock<std::mutex> lock(mutex_);
  return !wake_.wait_for(lock, duration, [this] { return cancelled_; });
}

void CancellableSleep::Cancel() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    cancelled_ = true;
  }
  wake_.notify_all();
}

void CancellableSleep::Reset() {
  std::lock_guard<std::mutex> lock(mutex_);
  cancelled_ = false;
}

}  // namespace kova_sim
