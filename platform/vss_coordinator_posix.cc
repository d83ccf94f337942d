#include "platform/vss_coordinator.h"
#include "platform/vss_provider_store.h"

namespace platform {

VssCoordinator& SystemVssCoordinator() { return RegistryVssCoordinator(); }

}  // namespace platform
