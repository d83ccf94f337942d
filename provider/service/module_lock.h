// The module's count of references held by its objects and server locks.
#pragma once

namespace kova_service {

class ModuleLock {
 public:
  virtual void Lock() = 0;
  virtual void Unlock() = 0;

 protected:
  ~ModuleLock() = default;
};

}  // namespace kova_service
