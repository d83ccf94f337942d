#include <time.h>

#include <cerrno>

#include "platform/tick_clock.h"

namespace platform {

namespace {

class MonotonicTickClock : public TickClock {
 public:
  uint64_t NowMs() override {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<uint64_t>(now.tv_sec) * 1000 + static_cast<uint64_t>(now.tv_nsec) / 1000000;
  }

  void SleepMs(uint32_t ms) override {
    timespec left{static_cast<time_t>(ms / 1000), static_cast<long>(ms % 1000) * 1000000};
    // A signal cuts the sleep short; the rest is slept.
    while (nanosleep(&left, &left) != 0 && errno == EINTR) {
    }
  }
};

}  // namespace

TickClock& SystemTickClock() {
  static MonotonicTickClock* const clock = new MonotonicTickClock;
  return *clock;
}

}  // namespace platform
