// The log tags of the service host: registration and the command line log
// as the provider does, service start and control requests as event
// reporting does.
#pragma once

#include "library/log/log_tags.h"

namespace kova_service {

inline constexpr const char* kRegistrationTag = kProviderLogTag;  // "Kova.VssProvider"
inline constexpr const char* kServiceHostTag = kEventReportTag;   // "Kova.KovaProvider"

}  // namespace kova_service
