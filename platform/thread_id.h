// The operating system's identifier of the calling thread, as the log shows
// it. POSIX (Linux): gettid(). Windows: GetCurrentThreadId().
#pragma once

#include <cstdint>

namespace platform {

uint32_t CurrentThreadId();

}  // namespace platform
