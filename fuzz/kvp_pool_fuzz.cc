// The host identity files as arbitrary bytes: the Hyper-V KVP pool, the
// iSCSI initiator name file and a Fibre Channel port name. Nothing may
// read outside the input, and what comes out stays within the formats.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/initiator_name_text.h"
#include "platform/kvp_pool.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::vector<uint8_t> bytes(data, data + size);
  const std::vector<platform::KvpRecord> records =
      platform::ParseKvpPool(bytes.data(), bytes.size());
  if (records.size() > size / platform::kKvpRecordSize) std::abort();
  for (const platform::KvpRecord& record : records) {
    if (record.key.empty() || record.key.size() > platform::kKvpKeySize ||
        record.value.size() > platform::kKvpValueSize ||
        record.key.find('\0') != std::string::npos) {
      std::abort();
    }
    std::string value;
    if (!platform::FindKvpValue(records, record.key, &value)) std::abort();
  }

  const std::string text(bytes.begin(), bytes.end());
  const std::string name = platform::ParseInitiatorNameFile(text);
  if (name.size() > size || name.find('\n') != std::string::npos) std::abort();

  platform::WorldWideName wwn{};
  platform::ParseFcPortName(text, &wwn);
  return 0;
}
