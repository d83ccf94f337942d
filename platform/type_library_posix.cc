#include "platform/type_library.h"
#include "platform/type_library_registry.h"

namespace platform {

TypeLibraries& SystemTypeLibraries() { return RegistryTypeLibraries(); }

}  // namespace platform
