// A registry held in memory, with the same semantics as the persistent one
// (see registry.h). Used by tests and wherever no hive is wanted.
#pragma once

#include <functional>
#include <memory>

#include "platform/registry.h"

namespace platform {

// Every caller counts as an administrator, so no key is ever refused.
std::shared_ptr<Registry> CreateMemoryRegistry();
// Keys created with KeyProtection::kAdministratorsOnly refuse OpenKey,
// CreateKey and DeleteTree with kAccessDenied while |is_administrator|
// answers false, as the hive does.
std::shared_ptr<Registry> CreateMemoryRegistry(
    std::function<bool()> is_administrator);

}  // namespace platform
