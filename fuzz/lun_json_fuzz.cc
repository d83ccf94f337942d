// Feeds arbitrary bytes, as a LUN file given to KovaVssShadow would arrive,
// through the LUN record reader; whatever it accepts must write out and
// read back to the same records (compared through their written form).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "tools/KovaVssShadow/lun_json.h"

namespace {

std::string Reread(const std::string& text) {
  LunRecordArray records;
  std::string error;
  if (!ParseLunRecords(text, &records, &error)) std::abort();  // our own output was refused
  return FormatLunRecordsCompact(records.data(), records.size());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  LunRecordArray records;
  std::string error;
  if (!ParseLunRecords(text, &records, &error)) {
    if (error.empty()) std::abort();  // a refusal always says why
    return 0;
  }
  const std::string compact = FormatLunRecordsCompact(records.data(), records.size());
  if (Reread(compact) != compact) std::abort();
  if (Reread(FormatLunRecords(records.data(), records.size(), 2)) != compact) std::abort();
  return 0;
}
