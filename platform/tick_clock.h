// A millisecond tick count and a way to sleep, for code that waits on
// something outside the process (a service that is stopping). Tests give
// such code a fake whose sleeping advances its own ticks.
// POSIX: CLOCK_MONOTONIC and nanosleep. Windows: GetTickCount64 and Sleep.
#pragma once

#include <cstdint>

namespace platform {

class TickClock {
 public:
  virtual ~TickClock() = default;
  // Milliseconds since an arbitrary start; never goes backwards.
  virtual uint64_t NowMs() = 0;
  // Returns after at least |ms| milliseconds.
  virtual void SleepMs(uint32_t ms) = 0;
};

// The real clock; safe from any thread.
TickClock& SystemTickClock();

}  // namespace platform
