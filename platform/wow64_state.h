// Whether the current process is a 32-bit process on 64-bit Windows.
//
// Windows: IsWow64Process, looked up by name in the kernel library so that
// the program still starts where the function does not exist; a missing
// function or a failed query counts as 32-bit Windows.
// Windows only; tests use fakes.
#pragma once

namespace platform {

class Wow64State {
 public:
  virtual ~Wow64State() = default;
  virtual bool ProcessRunsUnderWow64() = 0;
};

Wow64State& SystemWow64State();

}  // namespace platform
