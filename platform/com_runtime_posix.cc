#include <atomic>

#include "platform/com_runtime.h"

namespace platform {
namespace {

class NoComRuntime : public ComRuntime {
 public:
  HRESULT InitializeApartment(bool /*multithreaded*/) override { return S_OK; }
  void UninitializeApartment() override {}
  bool IsDotNetRuntimeLoaded() override { return false; }
  HRESULT InitializeSecurity() override { return S_OK; }
  HRESULT RegisterClassObject(const GUID& /*clsid*/, ClassObjectCallbacks /*callbacks*/) override {
    return kComServerNotAvailable;
  }
  HRESULT ResumeClassObjects() override { return kComServerNotAvailable; }
  void RevokeClassObjects() override {}
  uint32_t AddRefServerProcess() override { return ++count_; }
  uint32_t ReleaseServerProcess() override { return --count_; }

 private:
  std::atomic<uint32_t> count_{0};
};

}  // namespace

ComRuntime& SystemComRuntime() {
  static ComRuntime* const runtime = new NoComRuntime;
  return *runtime;
}

}  // namespace platform
