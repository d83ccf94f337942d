// The array emulator a test drives, with the calls of kova_sim::ArraySim:
// in the test's process where the emulator is built (Linux), otherwise
// the Linux program beside the test, reached on 127.0.0.1.
#pragma once

#include "tests/support/test_environment.h"

#ifdef _WIN32
#include "tests/support/remote_array_sim.h"
using TestArraySim = RemoteArraySim;
#else
#include "tools/KovaArraySim/array_sim.h"
using TestArraySim = kova_sim::ArraySim;
#endif

// Why this system's HTTP client cannot show a late answer's time-out, or
// an answer cut short, or nullptr.
inline const char* NoReceiveTimeOut() {
  return RunningUnderWine() ? "Wine's WinHTTP lets a request wait past its receive time-out for a late answer"
                            : nullptr;
}
inline const char* NoShortBodyError() {
  return RunningUnderWine() ? "Wine's WinHTTP takes a body that the peer's close cuts short as complete" : nullptr;
}

// Why a test cannot stop the emulator (dropping what it holds) or start
// another on its port, or nullptr.
inline const char* NoEmulatorStop() {
#ifdef _WIN32
  return "the emulator is a program beside the test: it is not stopped or started again on its port";
#else
  return nullptr;
#endif
}
