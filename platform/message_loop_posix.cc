#include <condition_variable>
#include <map>
#include <mutex>

#include "platform/message_loop.h"
#include "platform/thread_id.h"

namespace platform {
namespace {

class QuitFlagLoop : public MessageLoop {
 public:
  uint32_t AttachCurrentThread() override {
    const uint32_t id = CurrentThreadId();
    std::lock_guard<std::mutex> hold(mutex_);
    quit_requested_[id] = false;  // a new queue; the identifier may be reused
    return id;
  }

  void RunUntilQuit() override {
    const uint32_t id = CurrentThreadId();
    std::unique_lock<std::mutex> hold(mutex_);
    quit_requested_.emplace(id, false);
    changed_.wait(hold, [&] { return quit_requested_[id]; });
    quit_requested_[id] = false;  // the request is taken, as WM_QUIT is
  }

  bool PostQuit(uint32_t thread_id) override {
    std::lock_guard<std::mutex> hold(mutex_);
    const auto queue = quit_requested_.find(thread_id);
    if (queue == quit_requested_.end()) return false;
    queue->second = true;
    changed_.notify_all();
    return true;
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  std::map<uint32_t, bool> quit_requested_;
};

}  // namespace

MessageLoop& SystemMessageLoop() {
  static MessageLoop* const loop = new QuitFlagLoop;
  return *loop;
}

}  // namespace platform
