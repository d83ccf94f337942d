// Portable parts of the registry facility: the process's current registry
// and the string codec shared by every implementation.
#include "platform/registry.h"

#include <cstring>
#include <mutex>

#include "platform/registry_common.h"
#include "platform/utf16.h"

namespace platform {

namespace {
std::mutex g_registry_mutex;
std::shared_ptr<Registry> g_registry;
}  // namespace

Registry& MachineRegistry() {
  std::lock_guard<std::mutex> lock(g_registry_mutex);
  if (!g_registry) g_registry = CreateDefaultMachineRegistry();
  return *g_registry;
}

void SetMachineRegistry(std::shared_ptr<Registry> registry) {
  std::lock_guard<std::mutex> lock(g_registry_mutex);
  g_registry = std::move(registry);
}

std::vector<uint8_t> EncodeRegistryString(const std::string& utf8) {
  return Utf16LeWithTerminator(Utf8ToUtf16(utf8));
}

std::string DecodeRegistryString(const uint8_t* data, uint32_t size) {
  return Utf16ToUtf8(Utf16LeUntilTerminator(data, size));
}

bool ReadStringValue(RegistryKey& key, const std::string& name,
                     uint32_t buffer_bytes, std::string* text) {
  std::vector<uint8_t> buffer(buffer_bytes);
  uint32_t size = buffer_bytes;
  if (key.QueryValue(name, nullptr, buffer.data(), &size) !=
      RegistryStatus::kOk) {
    return false;
  }
  *text = DecodeRegistryString(buffer.data(), size);
  return true;
}

RegistryStatus WriteStringValue(RegistryKey& key, const std::string& name,
                                const std::string& utf8) {
  const std::vector<uint8_t> bytes = EncodeRegistryString(utf8);
  return key.SetValue(name, kRegSz, bytes.data(),
                      static_cast<uint32_t>(bytes.size()));
}

std::string FoldRegistryName(const std::string& name) {
  std::string folded = name;
  for (char& c : folded) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return folded;
}

std::vector<std::string> SplitRegistryPath(const std::string& path) {
  std::vector<std::string> parts;
  std::string part;
  for (char c : path) {
    if (c == '\\') {
      if (!part.empty()) parts.push_back(part);
      part.clear();
    } else {
      part += c;
    }
  }
  if (!part.empty()) parts.push_back(part);
  return parts;
}

RegistryStatus CopyQueriedValue(uint32_t stored_type, const uint8_t* stored,
                                size_t stored_size, uint32_t* type,
                                uint8_t* data, uint32_t* size) {
  if (type) *type = stored_type;
  if (!size) return data ? RegistryStatus::kFailed : RegistryStatus::kOk;
  const uint32_t capacity = *size;
  *size = static_cast<uint32_t>(stored_size);
  if (!data) return RegistryStatus::kOk;
  if (stored_size > capacity) return RegistryStatus::kMoreData;
  if (stored_size != 0) std::memcpy(data, stored, stored_size);
  return RegistryStatus::kOk;
}

}  // namespace platform
