// Until the persistent hive exists the process starts with an empty
// in-memory registry.
#include "platform/memory_registry.h"

namespace platform {

std::shared_ptr<Registry> CreateDefaultMachineRegistry() {
  return CreateMemoryRegistry();
}

}  // namespace platform
