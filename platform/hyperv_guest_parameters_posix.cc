#include <fstream>
#include <vector>

#include "platform/host_files.h"
#include "platform/hyperv_guest_parameters.h"
#include "platform/kvp_pool.h"
#include "platform/utf16.h"

namespace platform {
namespace {

// The daemon keeps a few hundred records at most; a larger file is read
// only up to this many.
constexpr size_t kMaxPoolBytes = 4096 * kKvpRecordSize;

class KvpGuestParameters : public HyperVGuestParameters {
 public:
  explicit KvpGuestParameters(std::vector<KvpRecord> records) : records_(std::move(records)) {}

  bool Read(const std::string& name, std::string* value) override {
    std::string found;
    if (!FindKvpValue(records_, name, &found)) return false;
    if (Utf8ToUtf16(found).size() > kHyperVParameterMaxChars) return false;
    *value = found;
    return true;
  }

 private:
  std::vector<KvpRecord> records_;
};

}  // namespace

std::unique_ptr<HyperVGuestParameters> OpenHyperVGuestParameters() {
  std::ifstream in(CurrentHostFiles().Path(kHyperVKvpPoolFile), std::ios::binary);
  if (!in) return nullptr;
  std::vector<uint8_t> bytes;
  char chunk[16 * 1024];
  while (bytes.size() < kMaxPoolBytes && in.read(chunk, sizeof chunk).gcount() > 0) {
    bytes.insert(bytes.end(), chunk, chunk + in.gcount());
  }
  if (in.bad()) return nullptr;
  return std::make_unique<KvpGuestParameters>(ParseKvpPool(bytes.data(), bytes.size()));
}

}  // namespace platform
