// The key-value pool files in which the Hyper-V guest daemon keeps the
// values the host exchanges with its guest: a sequence of records, each a
// key of 512 bytes and a value of 2048 bytes, both text padded with NULs.
// The bytes are parsed as found; a partial record at the end (a file being
// rewritten, or damaged) is ignored.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace platform {

inline constexpr size_t kKvpKeySize = 512;
inline constexpr size_t kKvpValueSize = 2048;
inline constexpr size_t kKvpRecordSize = kKvpKeySize + kKvpValueSize;

struct KvpRecord {
  std::string key;    // the key's bytes up to its first NUL
  std::string value;  // the value's bytes up to its first NUL
};

// The whole records in `data`, in file order; records with an empty key
// are left out.
std::vector<KvpRecord> ParseKvpPool(const uint8_t* data, size_t size);

// The value of the first record whose key is exactly `key`.
bool FindKvpValue(const std::vector<KvpRecord>& records, const std::string& key,
                  std::string* value);

}  // namespace platform
