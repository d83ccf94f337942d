#include "tests/service/service_host_fakes.h"

#include <algorithm>
#include <chrono>

#include "platform/message_loop.h"
#include "platform/type_library_registry.h"

namespace {

class FakeInstalledService : public platform::InstalledService {
 public:
  FakeInstalledService(FakeServiceInstaller& installer, std::string name)
      : installer_(installer), name_(std::move(name)) {}

  platform::ServiceStopResult Stop() override {
    std::lock_guard<std::mutex> hold(installer_.mutex);
    installer_.calls.push_back("Stop " + name_);
    if (installer_.stop_fails) return installer_.stop_failure;
    return Record().running ? platform::ServiceStopResult::kRequested
                            : platform::ServiceStopResult::kNotActive;
  }

  bool WaitUntilStopped(uint32_t /*timeout_ms*/) override {
    std::lock_guard<std::mutex> hold(installer_.mutex);
    installer_.calls.push_back("Wait " + name_);
    Record().running = false;
    if (Record().marked_for_delete) installer_.services.erase(name_);
    return true;
  }

  bool Delete() override {
    std::lock_guard<std::mutex> hold(installer_.mutex);
    installer_.calls.push_back("Delete " + name_);
    if (installer_.refuse_delete) return false;
    if (Record().running) {
      Record().marked_for_delete = true;
    } else {
      installer_.services.erase(name_);
    }
    return true;
  }

  bool SetDescription(const std::string& description) override {
    std::lock_guard<std::mutex> hold(installer_.mutex);
    installer_.calls.push_back("Describe " + name_);
    Record().description = description;
    return true;
  }

  bool ChangeConfiguration(platform::ServiceStartType start_type,
                           const std::vector<std::string>& dependencies,
                           const std::string& display_name) override {
    std::lock_guard<std::mutex> hold(installer_.mutex);
    installer_.calls.push_back("Change " + name_);
    if (installer_.refuse_change) return false;
    FakeServiceRecord& record = Record();
    record.definition.start_type = start_type;
    record.definition.dependencies = dependencies;
    record.definition.display_name = display_name;
    return true;
  }

 private:
  FakeServiceRecord& Record() { return installer_.services[name_]; }

  FakeServiceInstaller& installer_;
  std::string name_;
};

class FakeServiceDatabase : public platform::ServiceDatabase {
 public:
  explicit FakeServiceDatabase(FakeServiceInstaller& installer) : installer_(installer) {}

  std::unique_ptr<platform::InstalledService> Open(const std::string& name,
                                                   platform::ServiceRights /*rights*/) override {
    std::lock_guard<std::mutex> hold(installer_.mutex);
    if (installer_.refuse_open_service || installer_.services.count(name) == 0) return nullptr;
    const std::vector<std::string>& created = installer_.created;
    if (installer_.created_cannot_be_opened &&
        std::find(created.begin(), created.end(), name) != created.end()) {
      return nullptr;
    }
    return std::make_unique<FakeInstalledService>(installer_, name);
  }

  std::unique_ptr<platform::InstalledService> Create(
      const platform::ServiceDefinition& definition) override {
    std::lock_guard<std::mutex> hold(installer_.mutex);
    installer_.calls.push_back("Create " + definition.name);
    if (installer_.refuse_create || installer_.services.count(definition.name) != 0) return nullptr;
    installer_.services[definition.name].definition = definition;
    installer_.created.push_back(definition.name);
    return std::make_unique<FakeInstalledService>(installer_, definition.name);
  }

 private:
  FakeServiceInstaller& installer_;
};

}  // namespace

bool FakeServiceInstaller::IsInstalled(const std::string& name) {
  std::lock_guard<std::mutex> hold(mutex);
  return reachable && services.count(name) != 0;
}

std::unique_ptr<platform::ServiceDatabase> FakeServiceInstaller::OpenDatabase() {
  if (!reachable) return nullptr;
  return std::make_unique<FakeServiceDatabase>(*this);
}

FakeServiceDispatcher::~FakeServiceDispatcher() = default;

uint32_t FakeServiceDispatcher::Dispatch(const std::string& /*service_name*/,
                                         std::function<void()> service_main) {
  if (dispatch_error != 0) return dispatch_error;
  std::thread main_thread(std::move(service_main));
  main_thread.join();
  return 0;
}

bool FakeServiceDispatcher::RegisterControlHandler(const std::string& /*service_name*/,
                                                   std::function<void(uint32_t)> handler) {
  if (refuse_handler) return false;
  std::lock_guard<std::mutex> hold(mutex_);
  handler_ = std::move(handler);
  changed_.notify_all();
  return true;
}

bool FakeServiceDispatcher::ReportStatus(const SERVICE_STATUS& status) {
  std::lock_guard<std::mutex> hold(mutex_);
  reports_.push_back(status);
  changed_.notify_all();
  return true;
}

bool FakeServiceDispatcher::Control(uint32_t control) {
  std::function<void(uint32_t)> handler;
  {
    std::lock_guard<std::mutex> hold(mutex_);
    handler = handler_;
  }
  if (!handler) return false;
  handler(control);
  return true;
}

bool FakeServiceDispatcher::WaitForState(uint32_t state, int timeout_ms) {
  std::unique_lock<std::mutex> hold(mutex_);
  return changed_.wait_for(hold, std::chrono::milliseconds(timeout_ms), [&] {
    for (const SERVICE_STATUS& report : reports_) {
      if (report.dwCurrentState == state) return true;
    }
    return false;
  });
}

std::vector<SERVICE_STATUS> FakeServiceDispatcher::Reports() const {
  std::lock_guard<std::mutex> hold(mutex_);
  return reports_;
}

std::vector<uint32_t> FakeServiceDispatcher::ReportedStates() const {
  std::vector<uint32_t> states;
  for (const SERVICE_STATUS& report : Reports()) states.push_back(report.dwCurrentState);
  return states;
}

HRESULT FakeComRuntime::InitializeApartment(bool multithreaded) {
  std::lock_guard<std::mutex> hold(mutex);
  apartments.push_back(multithreaded);
  return apartment_result;
}

void FakeComRuntime::UninitializeApartment() {
  std::lock_guard<std::mutex> hold(mutex);
  ++uninitialized;
}

HRESULT FakeComRuntime::InitializeSecurity() {
  std::lock_guard<std::mutex> hold(mutex);
  ++security_calls;
  return security_result;
}

HRESULT FakeComRuntime::RegisterClassObject(const GUID& clsid,
                                            platform::ClassObjectCallbacks callbacks) {
  std::lock_guard<std::mutex> hold(mutex);
  if (FAILED(register_result)) return register_result;
  registered.push_back(clsid);
  callbacks_ = std::move(callbacks);
  return S_OK;
}

HRESULT FakeComRuntime::ResumeClassObjects() {
  std::lock_guard<std::mutex> hold(mutex);
  if (FAILED(resume_result)) return resume_result;
  resumed = true;
  changed_.notify_all();
  return S_OK;
}

void FakeComRuntime::RevokeClassObjects() {
  std::lock_guard<std::mutex> hold(mutex);
  ++revoked;
  resumed = false;
  callbacks_ = platform::ClassObjectCallbacks();
}

uint32_t FakeComRuntime::AddRefServerProcess() {
  std::lock_guard<std::mutex> hold(mutex);
  return ++server_count;
}

uint32_t FakeComRuntime::ReleaseServerProcess() {
  std::lock_guard<std::mutex> hold(mutex);
  return --server_count;
}

HRESULT FakeComRuntime::CreateInstance(const GUID& iid, void** object) {
  platform::ClassObjectCallbacks callbacks;
  {
    std::lock_guard<std::mutex> hold(mutex);
    if (!resumed) return static_cast<HRESULT>(0x80040154);  // REGDB_E_CLASSNOTREG
    callbacks = callbacks_;
  }
  return callbacks.create_instance(iid, object);
}

void FakeComRuntime::LockServer(bool lock) {
  platform::ClassObjectCallbacks callbacks;
  {
    std::lock_guard<std::mutex> hold(mutex);
    callbacks = callbacks_;
  }
  callbacks.lock_server(lock);
}

bool FakeComRuntime::WaitForResumed(int timeout_ms) {
  std::unique_lock<std::mutex> hold(mutex);
  return changed_.wait_for(hold, std::chrono::milliseconds(timeout_ms), [&] { return resumed; });
}

platform::MessageAnswer RecordingMessageBoxes::Show(platform::MessageKind kind,
                                                    const std::string& text,
                                                    const std::string& caption) {
  shown.push_back({text, caption, kind});
  return platform::MessageAnswer::kOk;
}

kova_service::ServiceHostFacilities FakeFacilities(const FakeMachine& machine,
                                                   const std::string& program_path) {
  kova_service::ServiceHostFacilities facilities;
  facilities.services = machine.services;
  facilities.dispatcher = machine.dispatcher;
  facilities.com = machine.com;
  facilities.loop = &platform::SystemMessageLoop();
  facilities.boxes = machine.boxes;
  facilities.type_libraries = &platform::RegistryTypeLibraries();
  facilities.vss = machine.vss;
  facilities.events = machine.events;
  facilities.console = machine.console;
  facilities.program_path = program_path;
  return facilities;
}

std::unique_ptr<platform::VssAdministration> UnreachableVssCoordinator::Connect(HRESULT* result) {
  *result = failure_;
  return nullptr;
}
