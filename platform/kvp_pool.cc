#include "platform/kvp_pool.h"

#include <cstring>

namespace platform {
namespace {

std::string TextOfField(const uint8_t* field, size_t size) {
  const void* nul = std::memchr(field, 0, size);
  const size_t length = nul ? static_cast<size_t>(static_cast<const uint8_t*>(nul) - field) : size;
  return std::string(reinterpret_cast<const char*>(field), length);
}

}  // namespace

std::vector<KvpRecord> ParseKvpPool(const uint8_t* data, size_t size) {
  std::vector<KvpRecord> records;
  if (!data) return records;
  for (size_t offset = 0; size - offset >= kKvpRecordSize; offset += kKvpRecordSize) {
    KvpRecord record;
    record.key = TextOfField(data + offset, kKvpKeySize);
    if (record.key.empty()) continue;
    record.value = TextOfField(data + offset + kKvpKeySize, kKvpValueSize);
    records.push_back(std::move(record));
  }
  return records;
}

bool FindKvpValue(const std::vector<KvpRecord>& records, const std::string& key,
                  std::string* value) {
  for (const KvpRecord& record : records) {
    if (record.key == key) {
      *value = record.value;
      return true;
    }
  }
  return false;
}

}  // namespace platform
