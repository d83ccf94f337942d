// The device names VSS may pass beside LUN records: the array itself may be
// null, and then every LUN has none.
#pragma once

#include "platform/vss_compat.h"

inline VSS_PWSZ DeviceAt(VSS_PWSZ* devices, LONG index) {
  return devices != nullptr ? devices[index] : nullptr;
}
