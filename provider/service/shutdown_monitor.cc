#include "provider/service/shutdown_monitor.h"

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace kova_service {

// Shared with the thread, which may outlive a monitor whose stop timed out.
struct ShutdownMonitor::Shared {
  std::mutex mutex;
  std::condition_variable changed;
  bool signalled = false;
  bool finished = false;
};

ShutdownMonitor::ShutdownMonitor() : shared_(std::make_shared<Shared>()) {}

ShutdownMonitor::~ShutdownMonitor() { StopAndWait(kStopWaitMs); }

void ShutdownMonitor::Start(platform::MessageLoop& loop, uint32_t thread_id) {
  if (thread_.joinable()) return;
  {
    std::lock_guard<std::mutex> hold(shared_->mutex);
    shared_->signalled = false;
    shared_->finished = false;
  }
  std::shared_ptr<Shared> shared = shared_;
  thread_ = std::thread([shared, &loop, thread_id] {
    std::unique_lock<std::mutex> hold(shared->mutex);
    shared->changed.wait(hold, [&] { return shared->signalled; });
    hold.unlock();
    loop.PostQuit(thread_id);
    hold.lock();
    shared->finished = true;
    shared->changed.notify_all();
  });
}

void ShutdownMonitor::Signal() {
  std::lock_guard<std::mutex> hold(shared_->mutex);
  shared_->signalled = true;
  shared_->changed.notify_all();
}

bool ShutdownMonitor::StopAndWait(uint32_t timeout_ms) {
  if (!thread_.joinable()) return true;
  Signal();
  bool finished = false;
  {
    std::unique_lock<std::mutex> hold(shared_->mutex);
    finished = shared_->changed.wait_for(hold, std::chrono::milliseconds(timeout_ms),
                                         [&] { return shared_->finished; });
  }
  if (finished) {
    thread_.join();
  } else {
    thread_.detach();
  }
  return finished;
}

}  // namespace kova_service
