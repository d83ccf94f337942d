// GoogleTest before the HTTP library, whose U() macro breaks its templates.
#include <gtest/gtest.h>

#include "tests/shadow/shadow_process_support.h"

#include <fstream>
#include <memory>
#include <sstream>
#include <vector>

#include "library/config/token_protection.h"
#include "library/registry_layout.h"
#include "platform/process_privilege.h"
#include "platform/registry.h"
#include "tests/support/native_registry.h"
#include "tools/KovaVssShadow/lun_json.h"

namespace {

std::shared_ptr<platform::Registry> MachineRegistry(const ScopedStateDir& state) {
  return MachineNativeRegistry().open(state.str(), platform::IsProcessAdministrator);
}

void RemoveProviderKeys(platform::Registry& registry) {
  std::string root = kova::kProviderRootKey;
  root.pop_back();  // the trailing separator
  const platform::RegistryStatus status = registry.DeleteTree(platform::RegistryRoot::kLocalMachine, root);
  ASSERT_TRUE(status == platform::RegistryStatus::kOk || status == platform::RegistryStatus::kNotFound);
}

}  // namespace

bool CanDriveProvider() { return platform::IsProcessAdministrator(); }

void ConfigureProviderHive(const ScopedStateDir& state, const std::string& url,
                           const std::string& token, const std::string& rest_timeout) {
  std::shared_ptr<platform::Registry> hive = MachineRegistry(state);
  RemoveProviderKeys(*hive);
  std::unique_ptr<platform::RegistryKey> root;
  ASSERT_EQ(platform::RegistryStatus::kOk,
            hive->CreateKey(platform::RegistryRoot::kLocalMachine, kova::kProviderRootKey,
                            platform::KeyProtection::kDefault, &root));
  platform::WriteStringValue(*root, kova::kValueRestVersion, "1.1");
  platform::WriteStringValue(*root, kova::kValueLogging, "Enabled");
  platform::WriteStringValue(*root, kova::kValueLogLevel, "4");
  if (!rest_timeout.empty()) platform::WriteStringValue(*root, kova::kValueRestTimeout, rest_timeout);
  std::unique_ptr<platform::RegistryKey> array;
  ASSERT_EQ(platform::RegistryStatus::kOk,
            hive->CreateKey(platform::RegistryRoot::kLocalMachine,
                            std::string(kova::kProviderRootKey) + "array1",
                            platform::KeyProtection::kDefault, &array));
  platform::WriteStringValue(*array, kova::kValueUrl, url);
  std::vector<uint8_t> blob;
  ASSERT_TRUE(ProtectApiToken(utility::conversions::to_string_t(token), &blob));
  ASSERT_EQ(platform::RegistryStatus::kOk,
            array->SetValue(kova::kValueApiKey, platform::kRegBinary, blob.data(),
                            static_cast<uint32_t>(blob.size())));
}

void RemoveProviderHive(const ScopedStateDir& state) { RemoveProviderKeys(*MachineRegistry(state)); }

#ifdef _WIN32
// Windows names the initiator through WMI's iSCSI class, which Wine does
// not serve: such a machine has no host on the array.
void AddThisHost(TestArraySim&) {}
#else
void AddThisHost(TestArraySim& sim) {
  std::ifstream file("/etc/iscsi/initiatorname.iscsi");
  for (std::string line; std::getline(file, line);) {
    if (line.rfind("InitiatorName=", 0) == 0) sim.AddHost("this-host", {line.substr(14)}, {});
  }
}
#endif

std::string VolumeLunsJson(const web::json::value& state, const std::string& vendor) {
  std::string json = "[";
  for (const auto& volume : At(state, "volumes").as_array()) {
    json += std::string(json.size() > 1 ? ", " : "") + "{\"vendor\": " + JsonQuote(vendor) +
            ", \"product\": \"Lumenstack\", \"revision\": \"6.1\", \"serial\": " +
            JsonQuote(TextAt(volume, "serial")) +
            ", \"bus_type\": 9, \"identifiers\": [{\"code_set\": 2, \"type\": 0, \"data\": " +
            JsonQuote(TextAt(volume, "name")) + "}]}";
  }
  return json + "]";
}

const web::json::value& At(const web::json::value& object, const std::string& key) {
  return object.at(utility::conversions::to_string_t(key));
}

std::string TextAt(const web::json::value& object, const std::string& key) {
  return utility::conversions::to_utf8string(At(object, key).as_string());
}

std::set<std::string> Names(const web::json::value& state, const char* list) {
  std::set<std::string> names;
  for (const auto& object : At(state, list).as_array()) names.insert(TextAt(object, "name"));
  return names;
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

std::string WriteFile(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
  return path;
}
