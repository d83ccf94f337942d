#include "provider/service/provider_call_gate.h"

namespace kova_service {

bool ProviderCallGate::Enter() {
  std::lock_guard<std::mutex> hold(mutex_);
  if (closed_) return false;
  ++calls_inside_;
  return true;
}

void ProviderCallGate::Leave() {
  std::lock_guard<std::mutex> hold(mutex_);
  if (--calls_inside_ == 0) left_.notify_all();
}

void ProviderCallGate::CloseAndWait() {
  std::unique_lock<std::mutex> hold(mutex_);
  closed_ = true;
  left_.wait(hold, [this] { return calls_inside_ == 0; });
}

}  // namespace kova_service
