// A thread's message queue, as far as a server's main thread needs one: it
// waits in its loop until another thread asks it to quit.
//
// Common semantics: a quit request posted before the thread runs its loop
// is kept, and the loop then returns at once. Safe from any thread.
// Windows: the thread's message queue (PeekMessageW makes it, GetMessageW
// and DispatchMessageW run it until WM_QUIT, PostThreadMessageW(WM_QUIT)).
// POSIX: a quit flag per attached thread with a condition variable.
#pragma once

#include <cstdint>

namespace platform {

class MessageLoop {
 public:
  virtual ~MessageLoop() = default;
  // Gives the calling thread a new, empty queue and returns the thread's
  // identifier.
  virtual uint32_t AttachCurrentThread() = 0;
  // Runs on the calling thread (attached first) until a quit request for it.
  virtual void RunUntilQuit() = 0;
  // Asks thread |thread_id| to quit; false when it has no queue.
  virtual bool PostQuit(uint32_t thread_id) = 0;
};

// The operating system's message queues, alive for the whole process.
MessageLoop& SystemMessageLoop();

}  // namespace platform
