#include <windows.h>

#include "platform/tick_clock.h"

namespace platform {

namespace {

class WinTickClock : public TickClock {
 public:
  uint64_t NowMs() override { return GetTickCount64(); }
  void SleepMs(uint32_t ms) override { Sleep(ms); }
};

}  // namespace

TickClock& SystemTickClock() {
  static WinTickClock* const clock = new WinTickClock;
  return *clock;
}

}  // namespace platform
