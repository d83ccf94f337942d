#include "OstaraRegTool/array_store.h"

#include <cpprest/asyncrt_utils.h>
#include "OstaraRegTool/registry_values.h"
#include "OstaraRegTool/result_codes.h"
#include "OstaraRegTool/tool_log_tags.h"
#include "library/config/token_protection.h"
#include "library/log/logger.h"
#include "library/registry_layout.h"
#include "library/text/text_conversion.h"
#include "platform/data_protection.h"
#include "platform/secure_zero.h"

namespace {

bool SameNameIgnoringAsciiCase(const utility::string_t& a, const utility::string_t& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    utility::char_t x = a[i], y = b[i];
    if (x >= U('a') && x <= U('z')) x = static_cast<utility::char_t>(x - U('a') + U('A'));
    if (y >= U('a') && y <= U('z')) y = static_cast<utility::char_t>(y - U('a') + U('A'));
    if (x != y) return false;
  }
  return true;
}

// Writes the two values into the open array key.
uint32_t WriteArrayValues(platform::RegistryKey& key, const ArrayConfig& config,
                          const std::vector<uint8_t>& blob) {
  // The token goes in directly, never through SetValue, which logs.
  if (key.SetValue(kova::kValueApiKey, platform::kRegBinary, blob.data(),
                   static_cast<uint32_t>(blob.size())) != platform::RegistryStatus::kOk) {
    return RC_SET_VALUE_FAILED;
  }
  return SetValue(key, kova::kValueUrl, &config.url);
}

uint32_t StoreArrayKey(const ArrayConfig& config, const std::vector<uint8_t>& blob) {
  platform::Registry& registry = platform::MachineRegistry();
  const std::string path = ArrayKeyPath(config.name);
  RegistryKeyPtr key;
  const bool existed = OpenArrayKey(config.name, &key) == platform::RegistryStatus::kOk;
  key.reset();
  if (registry.CreateKey(platform::RegistryRoot::kLocalMachine, path,
                         platform::KeyProtection::kAdministratorsOnly,
                         &key) != platform::RegistryStatus::kOk) {
    return RC_CREATE_KEY_FAILED;
  }
  const uint32_t result = WriteArrayValues(*key, config, blob);
  key.reset();
  // A half-written array would be listed without its token or address.
  if (result != RC_SUCCESS && !existed) {
    registry.DeleteTree(platform::RegistryRoot::kLocalMachine, path);
  }
  return result;
}

uint32_t ReadApiToken(platform::RegistryKey& key, utility::string_t& token) {
  uint32_t size = 0;
  if (key.QueryValue(kova::kValueApiKey, nullptr, nullptr, &size) != platform::RegistryStatus::kOk ||
      size == 0) {
    return RC_READ_VALUE_FAILED;
  }
  std::vector<uint8_t> blob(size);
  if (key.QueryValue(kova::kValueApiKey, nullptr, blob.data(), &size) !=
      platform::RegistryStatus::kOk) {
    return RC_READ_VALUE_FAILED;
  }
  blob.resize(size);
  utility::string_t clear;
  if (UnprotectApiToken(blob, &clear)) token.swap(clear);
  platform::SecureWipe(&clear);
  return RC_SUCCESS;
}

}  // namespace

bool IsStorableUrl(const utility::string_t& url) { return Utf16Length(url) <= kMaxValueTextLength; }

uint32_t GetKovaArrayNames(std::vector<utility::string_t>& names) {
  Logger::Write(LOG_DEBUG, kImplementationTag, "ENTERING: GetKovaArrayNames()");
  RegistryKeyPtr key;
  uint32_t count = 0;
  uint32_t result = RC_CONFIG_NOT_FOUND;
  if (OpenProviderKey(&key) != platform::RegistryStatus::kOk) {
    result = RC_CONFIG_NOT_FOUND;
  } else if (key->CountSubKeys(&count) != platform::RegistryStatus::kOk) {
    result = RC_KEY_NOT_FOUND;
  } else {
    for (uint32_t index = 0; index < count; ++index) {
      std::string name;
      if (key->EnumSubKey(index, &name) != platform::RegistryStatus::kOk) break;
      const utility::string_t wide = kova::TextOfUtf8(name);
      if (Utf16Length(wide) > kMaxSubkeyNameLength) continue;
      names.push_back(wide);
      result = RC_SUCCESS;
    }
  }
  Logger::Write(LOG_DEBUG, kImplementationTag, "EXITING: GetKovaArrayNames()");
  return result;
}

uint32_t IsArrayNameInUse(const utility::string_t& name) {
  if (!IsUsableArrayName(name)) return RC_INVALID_ARGUMENT;
  std::vector<utility::string_t> names;
  GetKovaArrayNames(names);
  for (const utility::string_t& configured : names) {
    if (SameNameIgnoringAsciiCase(configured, name)) return RC_NAME_IN_USE;
  }
  return RC_SUCCESS;
}

uint32_t CreateArrayConfig(const ArrayConfig& config) {
  Logger::Write(LOG_DEBUG, kImplementationTag, "ENTERING: CreateArrayConfig(%ls)", config.name);
  uint32_t result = RC_CREATE_KEY_FAILED;
  if (IsUsableArrayName(config.name)) {
    std::vector<uint8_t> blob;
    // Protected first: an array is never stored without its token.
    result = ProtectApiToken(config.apiToken, &blob) ? StoreArrayKey(config, blob)
                                                     : RC_SET_VALUE_FAILED;
    platform::SecureZero(blob.data(), blob.size());
  }
  Logger::Write(LOG_DEBUG, kImplementationTag, "Exiting: CreateArrayConfig() returned %ld",
                static_cast<long>(result));
  return result;
}

uint32_t ReadArrayConfig(const utility::string_t& name, ArrayConfig& config) {
  config.name = name;
  config.compatible = config.online = config.authenticated = U("no");
  platform::SecureWipe(&config.apiToken);
  RegistryKeyPtr key;
  if (!IsUsableArrayName(name) || OpenArrayKey(name, &key) != platform::RegistryStatus::kOk) {
    return RC_KEY_NOT_FOUND;
  }
  if (GetValue(*key, kova::kValueUrl, &config.url) != RC_SUCCESS) return RC_READ_VALUE_FAILED;
  return ReadApiToken(*key, config.apiToken);
}

uint32_t UpdateKovaArrayURL(const utility::string_t& name, const utility::string_t& url) {
  Logger::Write(LOG_DEBUG, kImplementationTag,
                "ENTERING: UpdateKovaArrayURL(), with parameters KovaArray Name: %ls, KovaArray "
                "URL: %ls",
                name, url);
  RegistryKeyPtr key;
  uint32_t result = RC_CONFIG_NOT_FOUND;
  if (IsUsableArrayName(name) && OpenArrayKey(name, &key) == platform::RegistryStatus::kOk) {
    result = IsStorableUrl(url) ? SetValue(*key, kova::kValueUrl, &url) : RC_INVALID_URL;
  }
  Logger::Write(LOG_DEBUG, kImplementationTag, "EXITING: UpdateKovaArrayURL()");
  return result;
}

uint32_t RemoveKovaArray(const utility::string_t& name) {
  Logger::Write(LOG_DEBUG, kImplementationTag,
                "ENTERING: RemoveKovaArray() with parameters KovaArray Name: %ls", name);
  RegistryKeyPtr key;
  uint32_t result = RC_CONFIG_NOT_FOUND;
  if (IsUsableArrayName(name) && OpenArrayKey(name, &key) == platform::RegistryStatus::kOk) {
    key.reset();
    result = platform::MachineRegistry().DeleteTree(platform::RegistryRoot::kLocalMachine,
                                                    ArrayKeyPath(name)) ==
                     platform::RegistryStatus::kOk
                 ? RC_SUCCESS
                 : RC_REMOVE_FAILED;
  }
  Logger::Write(LOG_DEBUG, kImplementationTag, "EXITING: RemoveKovaArray()");
  return result;
}
