// Sleeps that Cancel() cuts short, so a delayed answer cannot hold up Stop().
// Thread-safe.
#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace kova_sim {

class CancellableSleep {
 public:
  // False when cancelled (at once if Cancel() came first).
  bool SleepFor(std::chrono::milliseconds duration);
  // Wakes every sleeper; later sleeps return false until Reset().
  void Cancel();
  void Reset();

 private:
  std::mutex mutex_;
  std::condition_variable wake_;
  bool cancelled_ = false;
};

}  // namespace kova_sim
