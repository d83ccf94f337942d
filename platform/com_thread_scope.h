// COM initialised for the current thread for the life of the object.
//
// Windows: CoInitializeEx(COINIT_APARTMENTTHREADED) and, when that
// succeeded, CoUninitialize at destruction. Windows only.
#pragma once

namespace platform {

class ComThreadScope {
 public:
  ComThreadScope();
  ~ComThreadScope();
  ComThreadScope(const ComThreadScope&) = delete;
  ComThreadScope& operator=(const ComThreadScope&) = delete;

 private:
  bool initialised_ = false;
};

}  // namespace platform
