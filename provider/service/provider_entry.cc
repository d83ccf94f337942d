#include "provider/service/provider_entry.h"

#include <memory>

#include "library/log/logger.h"
#include "library/registry_layout.h"
#include "library/text/leading_integer.h"
#include "library/text/text_conversion.h"
#include "platform/os_description.h"
#include "platform/program_identity.h"
#include "platform/registry.h"
#include "provider/service/kova_provider_module.h"
#include "provider/service/service_log_tags.h"

namespace kova_service {
namespace {

constexpr uint32_t kSettingBufferBytes = 512;
constexpr int kDefaultLogLevel = LOG_DEBUG;
// User and computer names as the system reads them: 260 characters.
constexpr size_t kMaxNameLength = 260;

std::string Clipped(std::string name) {
  if (name.size() > kMaxNameLength) name.clear();
  return name;
}

}  // namespace

int ProviderLogLevel() {
  std::unique_ptr<platform::RegistryKey> key;
  if (platform::MachineRegistry().OpenKey(platform::RegistryRoot::kLocalMachine,
                                          kova::kProviderRootKey,
                                          &key) != platform::RegistryStatus::kOk) {
    return kDefaultLogLevel;
  }
  std::string logging, level;
  if (!platform::ReadStringValue(*key, kova::kValueLogging, kSettingBufferBytes, &logging) ||
      logging != "Enabled" ||
      !platform::ReadStringValue(*key, kova::kValueLogLevel, kSettingBufferBytes, &level)) {
    return kDefaultLogLevel;
  }
  return kova::ParseLeadingInteger(kova::TextOfUtf8(level));
}

int RunKovaProvider(const std::string& command_line, const ServiceHostFacilities& facilities,
                    const std::string& service_name) {
  Logger::Open(true, ProviderLogLevel(), kProviderLogFileName);
  Logger::Write(LOG_INFO, kServiceHostTag,
                "Service Starting : ProcessID=%08x. Running As: %ls on Machine:%ls",
                platform::CurrentProcessId(), Clipped(platform::CurrentUserName()),
                Clipped(platform::GetOsDescription().computer_name));
  int exit_code = -1;
  {
    CKovaProviderModule module(facilities, service_name);
    if (module.Initialized()) {
      HRESULT code = S_OK;
      if (module.ParseCommandLine(command_line, &code)) code = module.Start();
      if (module.ComInitialized() && !module.ServiceMode()) facilities.com->UninitializeApartment();
      exit_code = static_cast<int>(code);
    }
  }
  Logger::Close();
  return exit_code;
}

}  // namespace kova_service
