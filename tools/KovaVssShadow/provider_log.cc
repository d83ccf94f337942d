#include "tools/KovaVssShadow/provider_log.h"

#include <memory>
#include <string>

#include "library/log/logger.h"
#include "library/registry_layout.h"
#include "library/text/leading_integer.h"
#include "library/text/text_conversion.h"
#include "platform/registry.h"

namespace {

// The provider program reads both settings into 512-byte buffers.
constexpr uint32_t kSettingBufferBytes = 512;

}  // namespace

int ProviderLogLevel() {
  std::unique_ptr<platform::RegistryKey> key;
  if (platform::MachineRegistry().OpenKey(platform::RegistryRoot::kLocalMachine, kova::kProviderRootKey, &key) !=
      platform::RegistryStatus::kOk) {
    return LOG_DEBUG;
  }
  std::string logging;
  std::string level;
  if (!platform::ReadStringValue(*key, kova::kValueLogging, kSettingBufferBytes, &logging) ||
      logging != "Enabled" ||
      !platform::ReadStringValue(*key, kova::kValueLogLevel, kSettingBufferBytes, &level)) {
    return LOG_DEBUG;
  }
  return kova::ParseLeadingInteger(kova::WidenText(level));
}

void OpenProviderLog() { Logger::Open(true, ProviderLogLevel(), kProviderLogFileName); }
