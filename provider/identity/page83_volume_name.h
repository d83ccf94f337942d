// The array volume's name as the disk itself reports it on its device
// identification page (page 0x83).
#pragma once

#include <cpprest/details/basic_types.h>

#include <string>

#include "platform/hresult.h"

// Reads page 0x83 of `device` and takes the name from it by the page's rule
// (VolumeNameFromDeviceIdentifiers, provider/lun/lun_volume_name.h). An
// empty device name is E_POINTER; a device that cannot be opened or does
// not answer is E_FAIL, logged with the system error code, and so is an
// answer that is no page 0x83. Keeps no state.
HRESULT QueryPage83VolumeName(const utility::string_t& device, std::string& volume_name);
