// The machine registry of a Linux process is the hive under
// $KOVA_STATE_DIR.
#include "platform/registry_hive.h"

namespace platform {

std::shared_ptr<Registry> CreateDefaultMachineRegistry() {
  return OpenRegistryHive();
}

}  // namespace platform
