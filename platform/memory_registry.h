// A registry held in memory, with the same semantics as the persistent one
// (see registry.h). Used by tests and wherever no hive is wanted.
#pragma once

#include <memory>

#include "platform/registry.h"

namespace platform {

std::shared_ptr<Registry> CreateMemoryRegistry();

}  // namespace platform
