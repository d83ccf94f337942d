// The LUN record of a block device, read from the disk itself (standard
// INQUIRY, pages 0x80 and 0x83 through SG_IO), in this tool's task-memory
// form. A LunDeviceReader (lun_arguments.h).
#pragma once

#include <string>

#include "platform/vss_compat.h"

bool ReadDeviceLunRecord(const std::string& device, VDS_LUN_INFORMATION* lun, std::string* error);
