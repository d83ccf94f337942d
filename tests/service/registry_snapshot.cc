#include "tests/service/registry_snapshot.h"

#include <cstring>
#include <iomanip>
#include <memory>
#include <sstream>
#include <vector>

namespace {

RegistryValueText ReadValue(platform::RegistryKey& key, const std::string& name) {
  uint32_t type = 0;
  uint32_t size = 0;
  key.QueryValue(name, &type, nullptr, &size);
  std::vector<uint8_t> data(size);
  key.QueryValue(name, &type, data.data(), &size);
  if (type == platform::kRegSz || type == platform::kRegExpandSz) {
    return {type, platform::DecodeRegistryString(data.data(), size)};
  }
  if (type == platform::kRegDword && size == 4) {
    uint32_t number = 0;
    std::memcpy(&number, data.data(), 4);
    return {type, std::to_string(number)};
  }
  std::ostringstream hex;
  for (uint8_t byte : data) hex << std::hex << std::setw(2) << std::setfill('0') << int{byte};
  return {type, hex.str()};
}

void ReadTree(platform::Registry& registry, platform::RegistryRoot root, const std::string& path,
              RegistryTree* tree) {
  std::unique_ptr<platform::RegistryKey> key;
  if (registry.OpenKey(root, path, &key) != platform::RegistryStatus::kOk) return;
  RegistryKeyValues& values = (*tree)[path];
  std::string name;
  for (uint32_t i = 0; key->EnumValue(i, &name) == platform::RegistryStatus::kOk; ++i) {
    values[name] = ReadValue(*key, name);
  }
  std::vector<std::string> subkeys;
  for (uint32_t i = 0; key->EnumSubKey(i, &name) == platform::RegistryStatus::kOk; ++i) {
    subkeys.push_back(name);
  }
  for (const std::string& subkey : subkeys) {
    ReadTree(registry, root, path.empty() ? subkey : path + "\\" + subkey, tree);
  }
}

}  // namespace

std::ostream& operator<<(std::ostream& out, const RegistryValueText& value) {
  return out << "(type " << value.type << ") \"" << value.text << "\"";
}

RegistryValueText Sz(const std::string& text) { return {platform::kRegSz, text}; }
RegistryValueText ExpandSz(const std::string& text) { return {platform::kRegExpandSz, text}; }
RegistryValueText Dword(uint32_t value) { return {platform::kRegDword, std::to_string(value)}; }

RegistryTree SnapshotRegistry(platform::Registry& registry, platform::RegistryRoot root,
                              const std::string& path) {
  RegistryTree tree;
  ReadTree(registry, root, path, &tree);
  return tree;
}
