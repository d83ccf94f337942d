// The door through which calls from COM clients reach the provider objects
// of a service: a stop closes it and waits for the calls inside, so that no
// call is cut off half done (a snapshot made but not recorded) when the
// process ends.
#pragma once

#include <condition_variable>
#include <mutex>

namespace kova_service {

class ProviderCallGate {
 public:
  // Admits one call; false once the gate is closed. Each admitted call
  // leaves through Leave.
  bool Enter();
  void Leave();
  // Admits no more calls and returns when every admitted call has left.
  void CloseAndWait();

 private:
  std::mutex mutex_;
  std::condition_variable left_;
  int calls_inside_ = 0;
  bool closed_ = false;
};

// Holds the gate for the scope of one call.
class GatePass {
 public:
  explicit GatePass(ProviderCallGate& gate) : gate_(gate), admitted_(gate.Enter()) {}
  ~GatePass() {
    if (admitted_) gate_.Leave();
  }
  GatePass(const GatePass&) = delete;
  GatePass& operator=(const GatePass&) = delete;
  bool admitted() const { return admitted_; }

 private:
  ProviderCallGate& gate_;
  bool admitted_;
};

}  // namespace kova_service
