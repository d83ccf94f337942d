#include "tools/KovaVssShadow/coordinator_stand_in.h"

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

#include "platform/vss_admin_object.h"
#include "platform/vss_provider_store.h"
#include "provider/service/command_line_switch.h"
#include "tools/KovaVssShadow/call_text.h"
#include "tools/KovaVssShadow/shadow_environment.h"

namespace {

// Ends the loop of |thread| when the server's count drops to zero, or when
// no object was made within the idle limit.
class ServerLife {
 public:
  ServerLife(platform::ComRuntime& com, platform::MessageLoop& loop, uint32_t thread,
             std::chrono::milliseconds idle_limit)
      : com_(com), loop_(loop), thread_(thread), idle_limit_(idle_limit) {}
  ~ServerLife() {
    {
      std::lock_guard<std::mutex> hold(mutex_);
      ended_ = true;
    }
    changed_.notify_all();
    if (watch_.joinable()) watch_.join();
  }

  void StartIdleWatch() {
    watch_ = std::thread([this] {
      std::unique_lock<std::mutex> hold(mutex_);
      if (!changed_.wait_for(hold, idle_limit_, [this] { return used_ || ended_; })) {
        loop_.PostQuit(thread_);
      }
    });
  }
  void Acquire() {
    {
      std::lock_guard<std::mutex> hold(mutex_);
      used_ = true;
    }
    changed_.notify_all();
    com_.AddRefServerProcess();
  }
  void Release() {
    if (com_.ReleaseServerProcess() == 0) loop_.PostQuit(thread_);
  }

 private:
  platform::ComRuntime& com_;
  platform::MessageLoop& loop_;
  const uint32_t thread_;
  const std::chrono::milliseconds idle_limit_;
  std::mutex mutex_;
  std::condition_variable changed_;
  bool used_ = false;
  bool ended_ = false;
  std::thread watch_;
};

HRESULT ServeUntilDone(platform::ComRuntime& com, platform::MessageLoop& loop,
                       std::chrono::milliseconds idle_limit) {
  const uint32_t thread = loop.AttachCurrentThread();
  HRESULT connected = S_OK;
  std::shared_ptr<platform::VssAdministration> administration =
      platform::RegistryVssCoordinator().Connect(&connected);
  if (administration == nullptr) return connected;
  ServerLife life(com, loop, thread, idle_limit);
  platform::ClassObjectCallbacks callbacks;
  callbacks.create_instance = [&life, administration](const GUID& iid, void** object) {
    life.Acquire();
    return platform::CreateVssAdminObject(administration, [&life] { life.Release(); }, iid, object);
  };
  callbacks.lock_server = [&life](bool lock) { lock ? life.Acquire() : life.Release(); };
  HRESULT result = com.RegisterClassObject(platform::kVssCoordinatorClassId, std::move(callbacks));
  if (SUCCEEDED(result)) result = com.ResumeClassObjects();
  if (SUCCEEDED(result)) {
    life.StartIdleWatch();
    loop.RunUntilQuit();
  }
  com.RevokeClassObjects();
  return result;
}

}  // namespace

bool IsComActivation(const std::vector<std::string>& args) {
  if (args.size() != 1 || args[0].empty() || (args[0][0] != '-' && args[0][0] != '/')) return false;
  return kova_service::SwitchWordIs(args[0], 1, "Embedding");
}

int ServeVssCoordinatorStandIn(platform::ComRuntime& com, platform::MessageLoop& loop, std::ostream& err,
                               std::chrono::milliseconds idle_limit) {
  const HRESULT initialised = com.InitializeApartment(true);
  if (FAILED(initialised)) {
    err << "KovaVssShadow: CoInitializeEx failed: " << HresultText(initialised) << std::endl;
    return kExitProviderFailure;
  }
  const HRESULT served = ServeUntilDone(com, loop, idle_limit);
  com.UninitializeApartment();
  if (FAILED(served)) {
    err << "KovaVssShadow: the VSS coordinator's class cannot be served: " << HresultText(served) << std::endl;
    return kExitProviderFailure;
  }
  return kExitSuccess;
}
