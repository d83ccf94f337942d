#include "platform/string_resources.h"

namespace platform {
namespace {

class NoStringTable : public StringResources {
 public:
  bool Load(unsigned /*id*/, std::string* /*text*/) override { return false; }
};

}  // namespace

StringResources& SystemStringResources() {
  static StringResources* const strings = new NoStringTable;
  return *strings;
}

}  // namespace platform
