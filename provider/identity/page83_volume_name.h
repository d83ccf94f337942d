// The array volume's name as the disk itself reports it: the text of the
// first vendor-specific identifier on its device identification page.
#pragma once

#include <cpprest/details/basic_types.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/hresult.h"

// Reads page 0x83 of `device` and takes the name from it
// (VolumeNameFromDeviceIdPage). An empty device name is E_POINTER; a
// device that cannot be opened or does not answer is E_FAIL, logged with
// the system error code. Keeps no state.
HRESULT QueryPage83VolumeName(const utility::string_t& device, std::string& volume_name);

// The decision on a page already read: the first identifier of type
// vendor-specific decides. Its bytes up to the first NUL are the name
// (S_OK) when it is ASCII and not empty, else E_FAIL. Without any
// vendor-specific identifier: S_OK and `volume_name` unchanged. Bytes that
// are no page 0x83 at all: E_FAIL.
HRESULT VolumeNameFromDeviceIdPage(const std::vector<uint8_t>& page, std::string& volume_name);
