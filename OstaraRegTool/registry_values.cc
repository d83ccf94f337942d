#include "OstaraRegTool/registry_values.h"

#include <cpprest/asyncrt_utils.h>
#include "OstaraRegTool/result_codes.h"
#include "OstaraRegTool/tool_log_tags.h"
#include "library/log/logger.h"
#include "library/registry_layout.h"
#include "library/text/text_conversion.h"
#include "platform/utf16.h"

namespace {

[[maybe_unused]] size_t CodeUnits(const std::string& utf8) { return platform::Utf8ToUtf16(utf8).size(); }
[[maybe_unused]] size_t CodeUnits(const std::wstring& utf16) { return utf16.size(); }

}  // namespace

size_t Utf16Length(const utility::string_t& text) { return CodeUnits(text); }

bool IsUsableArrayName(const utility::string_t& name) {
  return !name.empty() && name.find(U('\\')) == utility::string_t::npos;
}

std::string ArrayKeyPath(const utility::string_t& name) {
  return kova::kProviderRootKey + kova::Utf8OfText(name);
}

platform::RegistryStatus OpenProviderKey(RegistryKeyPtr* key) {
  return platform::MachineRegistry().OpenKey(platform::RegistryRoot::kLocalMachine,
                                             kova::kProviderRootKey, key);
}

platform::RegistryStatus OpenArrayKey(const utility::string_t& name, RegistryKeyPtr* key) {
  return platform::MachineRegistry().OpenKey(platform::RegistryRoot::kLocalMachine,
                                             ArrayKeyPath(name), key);
}

uint32_t SetValue(platform::RegistryKey& key, const std::string& name,
                  const utility::string_t* text) {
  if (!text) return RC_SUCCESS;
  Logger::Write(LOG_DEBUG, kImplementationTag, "ENTERING: SetValue() %ls = %ls", name, *text);
  if (platform::WriteStringValue(key, name, kova::Utf8OfText(*text)) !=
      platform::RegistryStatus::kOk) {
    return RC_SET_VALUE_FAILED;
  }
  Logger::Write(LOG_DEBUG, kImplementationTag, "EXITING: SetValue()");
  return RC_SUCCESS;
}

uint32_t GetValue(platform::RegistryKey& key, const std::string& name, utility::string_t* text) {
  std::string utf8;
  if (!platform::ReadStringValue(key, name, kValueBufferBytes, &utf8)) return RC_READ_VALUE_FAILED;
  *text = kova::TextOfUtf8(utf8);
  return RC_SUCCESS;
}

bool ValueExists(platform::RegistryKey& key, const std::string& name, bool* failed) {
  uint32_t size = 0;
  const platform::RegistryStatus status = key.QueryValue(name, nullptr, nullptr, &size);
  *failed = status != platform::RegistryStatus::kOk && status != platform::RegistryStatus::kNotFound;
  return status == platform::RegistryStatus::kOk;
}
