// The event source "KovaProvider" and its message file.
#include <cstring>
#include <memory>

#include "library/log/logger.h"
#include "platform/program_identity.h"
#include "platform/registry.h"
#include "platform/utf16.h"
#include "provider/service/kova_provider_module.h"
#include "provider/service/provider_identities.h"
#include "provider/service/service_log_tags.h"

namespace kova_service {
namespace {

constexpr uint32_t kTypesSupported = 7;  // error, warning, information
constexpr uint32_t kCategoryCount = 2;

bool SetExpandString(platform::RegistryKey& key, const char* name, const std::string& text) {
  const std::vector<uint8_t> bytes = platform::EncodeRegistryString(text);
  return key.SetValue(name, platform::kRegExpandSz, bytes.data(),
                      static_cast<uint32_t>(bytes.size())) == platform::RegistryStatus::kOk;
}

bool SetDword(platform::RegistryKey& key, const char* name, uint32_t value) {
  uint8_t bytes[4];
  std::memcpy(bytes, &value, sizeof bytes);
  return key.SetValue(name, platform::kRegDword, bytes, sizeof bytes) ==
         platform::RegistryStatus::kOk;
}

// "ProviderEvents.dll" beside the program; "" when the program's path is
// unknown or the file's path would be too long.
std::string MessageFilePath(const std::string& program_path) {
  const std::string folder = platform::FolderOfPath(program_path);
  if (folder.empty()) return std::string();
  const std::string path = folder + kEventMessageFileName;
  return platform::Utf8ToUtf16(path).size() > kMaxProgramPathLength ? std::string() : path;
}

// The first failure's message, or null when every value was set.
const char* WriteEventSource(platform::RegistryKey& key, const std::string& message_file) {
  if (message_file.empty() || !SetExpandString(key, "EventMessageFile", message_file))
    return "Could not set the event message file";
  if (!SetExpandString(key, "CategoryMessageFile", message_file))
    return "Could not set the category message file";
  if (!SetExpandString(key, "ParameterMessageFile", message_file))
    return "Could not set the parameter message file";
  if (!SetDword(key, "TypesSupported", kTypesSupported)) return "Could not set the supported types";
  if (!SetDword(key, "CategoryCount", kCategoryCount)) return "Could not set the category count";
  return nullptr;
}

}  // namespace

void CKovaProviderModule::AddEventSource() {
  Logger::Write(LOG_DEBUG, kRegistrationTag, "ENTERING : AddEventSource()");
  std::unique_ptr<platform::RegistryKey> key;
  if (platform::MachineRegistry().CreateKey(platform::RegistryRoot::kLocalMachine, kEventSourceKey,
                                            platform::KeyProtection::kDefault,
                                            &key) != platform::RegistryStatus::kOk) {
    Logger::Write(LOG_ERROR, kRegistrationTag, "Could not create the registry key");
    return;
  }
  const char* failure = WriteEventSource(*key, MessageFilePath(facilities_.program_path));
  if (failure != nullptr) {
    Logger::Write(LOG_ERROR, kRegistrationTag, "%hs", failure);
    return;
  }
  Logger::Write(LOG_DEBUG, kRegistrationTag, "EXITING: AddEventSource()");
}

}  // namespace kova_service
