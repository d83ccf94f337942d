#include "OstaraRegTool/settings_store.h"

#include <cpprest/asyncrt_utils.h>
#include "OstaraRegTool/result_codes.h"
#include "OstaraRegTool/tool_log_tags.h"
#include "library/log/logger.h"
#include "library/registry_layout.h"
#include "library/text/text_conversion.h"

namespace {

struct DefaultValue {
  const char* name;
  const char* text;
};

constexpr DefaultValue kDefaults[] = {
    {kova::kValueLogging, "Enabled"},
    {kova::kValueRestVersion, "1.1"},
    {kova::kValueRestTimeout, "10"},
    {kova::kValueLogLevel, "2"},
};

platform::RegistryStatus OpenOrCreateProviderKey(RegistryKeyPtr* key) {
  if (OpenProviderKey(key) == platform::RegistryStatus::kOk) return platform::RegistryStatus::kOk;
  return platform::MachineRegistry().CreateKey(platform::RegistryRoot::kLocalMachine,
                                               kova::kProviderRootKey,
                                               platform::KeyProtection::kDefault, key);
}

}  // namespace

uint32_t CreateDefaultConfig() {
  RegistryKeyPtr key;
  if (OpenOrCreateProviderKey(&key) != platform::RegistryStatus::kOk) {
    return RC_REGISTRY_CONFIG_FAILED;
  }
  for (const DefaultValue& value : kDefaults) {
    bool failed = false;
    if (ValueExists(*key, value.name, &failed)) continue;
    // A store that cannot answer might hold the value: never overwrite it.
    if (failed) return RC_REGISTRY_CONFIG_FAILED;
    const utility::string_t text = kova::TextOfUtf8(value.text);
    const uint32_t code = SetValue(*key, value.name, &text);
    if (code != RC_SUCCESS) return code;
  }
  return RC_SUCCESS;
}

utility::string_t GetRESTVersionFromRegistry() {
  Logger::Write(LOG_DEBUG, kImplementationTag, "ENTERING: GetRESTVersionFromRegistry()");
  utility::string_t version;
  RegistryKeyPtr key;
  if (OpenProviderKey(&key) == platform::RegistryStatus::kOk &&
      GetValue(*key, kova::kValueRestVersion, &version) != RC_SUCCESS) {
    version.clear();
  }
  Logger::Write(LOG_DEBUG, kImplementationTag,
                "EXITING: GetRESTVersionFromRegistry() RestVersion: %ls", version);
  return version;
}

uint32_t GetLogLevel(utility::string_t& level) {
  Logger::Write(LOG_DEBUG, kImplementationTag, "ENTERING: GetLogLevel() with parameter Option: %ls",
                level);
  RegistryKeyPtr key;
  uint32_t result = RC_CONFIG_NOT_FOUND;
  if (OpenProviderKey(&key) == platform::RegistryStatus::kOk) {
    result = GetValue(*key, kova::kValueLogLevel, &level) == RC_SUCCESS ? RC_SUCCESS
                                                                        : RC_VALUE_NOT_FOUND;
  }
  Logger::Write(LOG_DEBUG, kImplementationTag, "EXITING: GetLogLevel()");
  return result;
}

uint32_t GetTracing(RegistryKeyPtr key, utility::string_t& logging) {
  if (!key) return RC_VALUE_NOT_FOUND;
  return GetValue(*key, kova::kValueLogging, &logging) == RC_SUCCESS ? RC_SUCCESS
                                                                     : RC_VALUE_NOT_FOUND;
}

uint32_t SetTracing(const utility::string_t& option, const utility::string_t& level) {
  Logger::Write(LOG_DEBUG, kImplementationTag,
                "ENTERING: SetTracing() with parameter Trace Option: %ls, LogLevel: %ls", option,
                level);
  RegistryKeyPtr key;
  uint32_t result = RC_CONFIG_NOT_FOUND;
  if (OpenProviderKey(&key) == platform::RegistryStatus::kOk) {
    result = SetValue(*key, kova::kValueLogging, &option);
    if (option == U("Enabled") && SetValue(*key, kova::kValueLogLevel, &level) != RC_SUCCESS) {
      result = RC_SET_VALUE_FAILED;
    }
  }
  Logger::Write(LOG_DEBUG, kImplementationTag, "EXITING: SetTracing()");
  return result;
}
