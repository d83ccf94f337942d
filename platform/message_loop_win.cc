#include <windows.h>

#include "platform/message_loop.h"

namespace platform {
namespace {

class ThreadQueueLoop : public MessageLoop {
 public:
  uint32_t AttachCurrentThread() override {
    MSG message;
    // Peeking makes the queue; a quit left from an earlier loop is dropped.
    PeekMessageW(&message, nullptr, WM_USER, WM_USER, PM_NOREMOVE);
    while (PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
    return GetCurrentThreadId();
  }

  void RunUntilQuit() override {
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) DispatchMessageW(&message);
  }

  bool PostQuit(uint32_t thread_id) override {
    return PostThreadMessageW(thread_id, WM_QUIT, 0, 0) != FALSE;
  }
};

}  // namespace

MessageLoop& SystemMessageLoop() {
  static MessageLoop* const loop = new ThreadQueueLoop;
  return *loop;
}

}  // namespace platform
