#include "library/config/registry_readers.h"

#include <cpprest/asyncrt_utils.h>

#include <memory>
#include <string>

#include "library/config/token_protection.h"
#include "library/log/log_tags.h"
#include "library/log/logger.h"
#include "library/registry_layout.h"
#include "library/text/text_conversion.h"
#include "platform/data_protection.h"
#include "platform/registry.h"

namespace Utilities {
namespace {

constexpr const char* kTag = kProviderLogTag;
// Reader buffers, as the store's format fixes them.
constexpr uint32_t kMaxSubKeyChars = 255;  // a 256-character buffer
constexpr uint32_t kUrlBufferBytes = 4168;
constexpr uint32_t kRestVersionBufferBytes = 160;

// -1 while not read successfully in this process.
int64_t g_eradicate_volumes = -1;
int64_t g_delete_snaps = -1;
int64_t g_batch_snapshots = -1;

// One cached setting: its value's name, its cache, the result when it
// cannot be read and the largest result (greater numbers are given as it).
struct CachedDword {
  const char* name;
  int64_t* cached;
  uint32_t absent;
  uint32_t largest;
};

CachedDword Describe(CachedSetting setting) {
  switch (setting) {
    case CachedSetting::kEradicateVolumes:
      return {kova::kValueEradicateVolumes, &g_eradicate_volumes, 1, 1};
    case CachedSetting::kDeleteSnaps:
      return {kova::kValueDeleteSnaps, &g_delete_snaps, 0, 3};
    case CachedSetting::kBatchSnapshots:
      break;
  }
  return {kova::kValueBatchSnapshots, &g_batch_snapshots, 0, 1};
}

std::unique_ptr<platform::RegistryKey> OpenKey(const std::string& path) {
  std::unique_ptr<platform::RegistryKey> key;
  if (platform::MachineRegistry().OpenKey(platform::RegistryRoot::kLocalMachine, path, &key) !=
      platform::RegistryStatus::kOk) {
    key.reset();
  }
  return key;
}

// A subkey name fits the enumeration buffer when its UTF-16 form does.
bool FitsNameBuffer(const std::string& utf8) {
  size_t units = 0;
  for (unsigned char c : utf8) {
    if ((c & 0xC0) != 0x80) units += c >= 0xF0 ? 2 : 1;  // lead bytes only
  }
  return units <= kMaxSubKeyChars;
}

void EnumerateArrays(platform::RegistryKey& root, uint32_t count,
                     std::vector<utility::string_t>& arrays) {
  for (uint32_t index = 0; index < count; ++index) {
    std::string name;
    if (root.EnumSubKey(index, &name) != platform::RegistryStatus::kOk ||
        !FitsNameBuffer(name)) {
      Logger::Write(LOG_ERROR, kTag, "Error enumerating registry keys");
      return;
    }
    arrays.push_back(kova::TextOfUtf8(name));
  }
}

// Reads, unprotects and sets the array's token, logging what fails.
void ReadApiToken(platform::RegistryKey& key, utility::string_t& api_token) {
  uint32_t size = 0;
  if (key.QueryValue(kova::kValueApiKey, nullptr, nullptr, &size) != platform::RegistryStatus::kOk ||
      size == 0) {
    Logger::Write(LOG_ERROR, kTag, "Error reading API token size from registry");
    return;
  }
  std::vector<uint8_t> blob(size);
  if (key.QueryValue(kova::kValueApiKey, nullptr, blob.data(), &size) != platform::RegistryStatus::kOk) {
    Logger::Write(LOG_ERROR, kTag, "Error reading API token from registry");
    return;
  }
  blob.resize(size);
  if (!UnprotectApiToken(blob, &api_token)) {
    Logger::Write(LOG_ERROR, kTag, "Error decrypting api token");
  }
  platform::SecureZero(blob.data(), blob.size());
}

// The setting's number, or false when it cannot be read into 4 bytes.
bool ReadDword(const char* name, uint32_t* number) {
  auto root = OpenKey(kova::kProviderRootKey);
  if (!root) {
    Logger::Write(LOG_DEBUG, kTag, "EXITING: Utilities::GetRegistryDWORD()");
    return false;
  }
  uint8_t bytes[4] = {0, 0, 0, 0};
  uint32_t size = sizeof(bytes);
  if (root->QueryValue(name, nullptr, bytes, &size) != platform::RegistryStatus::kOk) return false;
  *number = static_cast<uint32_t>(bytes[0]) | (static_cast<uint32_t>(bytes[1]) << 8) |
            (static_cast<uint32_t>(bytes[2]) << 16) | (static_cast<uint32_t>(bytes[3]) << 24);
  return true;
}

}  // namespace

void GetLumenstacks(std::vector<utility::string_t>& arrays) {
  Logger::Write(LOG_DEBUG, kTag, "ENTERING: Utilities::GetLumenstacks()");
  if (auto root = OpenKey(kova::kProviderRootKey)) {
    uint32_t count = 0;
    if (root->CountSubKeys(&count) != platform::RegistryStatus::kOk) {
      Logger::Write(LOG_ERROR, kTag, "Failed to query the registry key");
    } else if (count == 0) {
      Logger::Write(LOG_INFO, kTag, "No Subkeys found");
    } else {
      EnumerateArrays(*root, count, arrays);
    }
  } else {
    Logger::Write(LOG_ERROR, kTag, "Failed to open the registry key");
  }
  Logger::Write(LOG_INFO, kTag, "%d array(s) configured in registry", static_cast<int>(arrays.size()));
  Logger::Write(LOG_DEBUG, kTag, "EXITING: Utilities::GetLumenstacks()");
}

void GetLumenstackCredentials(const utility::string_t& array_name, utility::string_t& url,
                              utility::string_t& api_token) {
  Logger::Write(LOG_DEBUG, kTag, "ENTERING: Utilities::GetLumenstackCredentials()");
  const std::string name = kova::Utf8OfText(array_name);
  if (auto key = OpenKey(std::string(kova::kProviderRootKey) + name)) {
    ReadApiToken(*key, api_token);
    std::string text;
    if (platform::ReadStringValue(*key, kova::kValueUrl, kUrlBufferBytes, &text) && !text.empty()) {
      url = kova::TextOfUtf8(text);
    }
    Logger::Write(LOG_INFO, kTag, "Retrieved Key and URL(%ls) for array \"%ls\"", url, array_name);
  } else {
    Logger::Write(LOG_ERROR, kTag, "Error opening registry key");
  }
  Logger::Write(LOG_DEBUG, kTag, "EXITING: Utilities::GetLumenstackCredentials()");
}

utility::string_t GetRestAPIVersion() {
  Logger::Write(LOG_DEBUG, kTag, "ENTERING: Utilities::GetRestAPIVersion()");
  utility::string_t version;
  std::string text;
  if (auto root = OpenKey(kova::kProviderRootKey)) {
    if (platform::ReadStringValue(*root, kova::kValueRestVersion, kRestVersionBufferBytes, &text) &&
        !text.empty()) {
      version = kova::TextOfUtf8(text);
    }
  }
  Logger::Write(LOG_DEBUG, kTag, "EXITING: Utilities::GetRestAPIVersion()");
  return version;
}

uint32_t GetRegistryDWORD(CachedSetting setting) {
  const CachedDword value = Describe(setting);
  if (*value.cached >= 0) return static_cast<uint32_t>(*value.cached);
  uint32_t number = 0;
  if (!ReadDword(value.name, &number)) return value.absent;
  *value.cached = number > value.largest ? value.largest : number;
  return static_cast<uint32_t>(*value.cached);
}

void ResetRegistryDWORDCache() {
  g_eradicate_volumes = -1;
  g_delete_snaps = -1;
  g_batch_snapshots = -1;
}

}  // namespace Utilities
