#include "OstaraRegTool/array_operations.h"

#include <cpprest/asyncrt_utils.h>
#include <exception>

#include "OstaraRegTool/array_reachability.h"
#include "OstaraRegTool/array_status.h"
#include "OstaraRegTool/array_store.h"
#include "OstaraRegTool/registry_values.h"
#include "OstaraRegTool/result_codes.h"
#include "OstaraRegTool/tool_log_tags.h"
#include "library/log/logger.h"
#include "library/text/text_conversion.h"

uint32_t GetArrayConfig(const utility::string_t& name, ArrayConfig& config, bool check_status) {
  Logger::Write(LOG_DEBUG, kImplementationTag, "ENTERING: GetArrayConfig(%ls)", name);
  uint32_t result = RC_INVALID_ARGUMENT;
  if (!name.empty()) {
    result = ReadArrayConfig(name, config);
    if (result == RC_SUCCESS && check_status && IsArrayExists(config.url)) {
      CheckArrayStatus(config);
    }
  }
  Logger::Write(LOG_DEBUG, kImplementationTag, "EXITING: GetArrayConfig() returned %ld",
                static_cast<long>(result));
  return result;
}

uint32_t GetArrayConfigInfo(ArrayConfigList& list, const utility::string_t& filter) {
  Logger::Write(LOG_DEBUG, kImplementationTag, "ENTERING: GetArrayConfigInfo()");
  RegistryKeyPtr key;
  uint32_t count = 0;
  uint32_t result = RC_CONFIG_NOT_FOUND;
  if (OpenProviderKey(&key) == platform::RegistryStatus::kOk &&
      key->CountSubKeys(&count) == platform::RegistryStatus::kOk && count > 0) {
    result = RC_SUCCESS;
    for (uint32_t index = 0; index < count; ++index) {
      std::string enumerated;
      if (key->EnumSubKey(index, &enumerated) != platform::RegistryStatus::kOk) {
        result = RC_READ_VALUE_FAILED;
        continue;
      }
      const utility::string_t name = kova::TextOfUtf8(enumerated);
      if (Utf16Length(name) > kMaxSubkeyNameLength) {
        result = RC_READ_VALUE_FAILED;
        continue;
      }
      if (!filter.empty() && name != filter) continue;
      ArrayConfig config;
      result = GetArrayConfig(name, config, true);
      if (result == RC_SUCCESS) list.push_back(std::move(config));
    }
  }
  Logger::Write(LOG_DEBUG, kImplementationTag, "EXITING: GetArrayConfigInfo()");
  return result;
}

uint32_t UpdateKovaArrayName(const utility::string_t& old_name,
                             const utility::string_t& new_name) {
  Logger::Write(LOG_DEBUG, kImplementationTag,
                "ENTERING: UpdateKovaArrayName(), with parameters Old KovaArray Name: %ls, New "
                "KovaArray Name: %ls",
                old_name, new_name);
  ArrayConfig config;
  uint32_t result = IsArrayNameInUse(new_name);
  if (result == RC_SUCCESS) result = GetArrayConfig(old_name, config, false);
  // A token that cannot be unprotected would be stored again as an empty one.
  if (result == RC_SUCCESS && config.apiToken.empty()) result = RC_READ_VALUE_FAILED;
  if (result == RC_SUCCESS) {
    config.name = new_name;
    result = CreateArrayConfig(config);
  }
  if (result == RC_SUCCESS) {
    result = RemoveKovaArray(old_name);
    if (result != RC_SUCCESS) RemoveKovaArray(new_name);
  }
  Logger::Write(LOG_DEBUG, kImplementationTag, "EXITING: UpdateKovaArrayName()");
  return result;
}

