#include "bench/bench_setup.h"

#include <cstdlib>
#include <memory>
#include <random>
#include <stdexcept>

#include "library/config/token_protection.h"
#include "library/registry_layout.h"
#include "platform/registry.h"
#include "tools/KovaVssShadow/lun_json.h"

std::filesystem::path MakeBenchStateFolder(const std::string& prefix) {
  std::random_device random;
  const std::filesystem::path dir =
      std::filesystem::temp_directory_path() / (prefix + std::to_string(random()));
  std::filesystem::create_directories(dir);
  setenv("KOVA_STATE_DIR", dir.c_str(), 1);
  setenv("ALLUSERSPROFILE", dir.c_str(), 1);
  return dir;
}

void ConfigureBenchArray(const std::string& name, const std::string& url, const std::string& token) {
  platform::Registry& registry = platform::MachineRegistry();
  std::unique_ptr<platform::RegistryKey> root;
  std::unique_ptr<platform::RegistryKey> array;
  registry.CreateKey(platform::RegistryRoot::kLocalMachine, kova::kProviderRootKey, platform::KeyProtection::kDefault,
                     &root);
  platform::WriteStringValue(*root, kova::kValueRestVersion, "1.1");
  registry.CreateKey(platform::RegistryRoot::kLocalMachine, std::string(kova::kProviderRootKey) + name,
                     platform::KeyProtection::kDefault, &array);
  platform::WriteStringValue(*array, kova::kValueUrl, url);
  std::vector<uint8_t> blob;
  if (!ProtectApiToken(token, &blob)) throw std::runtime_error("cannot protect the API token");
  array->SetValue(kova::kValueApiKey, platform::kRegBinary, blob.data(), static_cast<uint32_t>(blob.size()));
}

LunRecordArray BenchVolumeLuns(const std::vector<std::pair<std::string, std::string>>& volumes) {
  std::string json = "[";
  for (const auto& volume : volumes) {
    json += std::string(json.size() > 1 ? "," : "") + "{\"vendor\": \"KOVA    \", \"serial\": " +
            JsonQuote(volume.second) + ", \"bus_type\": 9, \"identifiers\": [{\"code_set\": 2, \"type\": 0, " +
            "\"data\": " + JsonQuote(volume.first) + "}]}";
  }
  LunRecordArray luns;
  std::string error;
  if (!ParseLunRecords(json + "]", &luns, &error)) throw std::runtime_error(error);
  return luns;
}
