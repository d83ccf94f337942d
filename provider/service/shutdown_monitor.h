// The local server's delayed shutdown: a thread that waits, without a time
// limit, until the module's last reference is gone and then tells the main
// thread's message loop to quit.
#pragma once

#include <cstdint>
#include <memory>
#include <thread>

#include "platform/message_loop.h"

namespace kova_service {

class ShutdownMonitor {
 public:
  ShutdownMonitor();
  ~ShutdownMonitor();  // StopAndWait with kStopWaitMs
  ShutdownMonitor(const ShutdownMonitor&) = delete;
  ShutdownMonitor& operator=(const ShutdownMonitor&) = delete;

  // The time-out of the monitor's wait; a stop waits for it twice as long.
  static constexpr uint32_t kTimeOutMs = 5000;
  static constexpr uint32_t kStopWaitMs = 2 * kTimeOutMs;

  // Starts the thread, which posts the quit request to |thread_id|.
  void Start(platform::MessageLoop& loop, uint32_t thread_id);
  // The module's last reference went away. Safe from any thread.
  void Signal();
  // Signals and waits up to |timeout_ms| for the thread to end; false when
  // it has not (it then ends on its own).
  bool StopAndWait(uint32_t timeout_ms);

 private:
  struct Shared;
  std::shared_ptr<Shared> shared_;
  std::thread thread_;
};

}  // namespace kova_service
