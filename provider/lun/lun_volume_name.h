// The volume's name on the array, as a LUN carries it in a vendor-specific
// identifier (type 0) with the ASCII code set (2): the identifier's bytes
// up to the first NUL, never more than its byte count. It can be read from
// two places, and each reading has its own rule on which identifier counts:
//
// - From a LUN record (ReadVolumeNameIdentifier): the identifiers are
//   walked in order and the first vendor-specific one that has bytes and
//   is ASCII gives the name; a vendor-specific identifier without bytes or
//   in another code set is skipped and the walk goes on.
//
// - From the device identification page, page 0x83
//   (VolumeNameFromDeviceIdentifiers): the first vendor-specific
//   identifier decides; when it has no bytes or is not ASCII there is no
//   name, whatever follows it.
//
// Neither checks that the text is usable as a name on the array.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/hresult.h"
#include "platform/vss_compat.h"
#include "provider/lun/device_id_page.h"

// True with |name| set when an identifier of |lun| qualifies; false, with
// |name| unchanged, when none does or the record has no identifier list.
bool ReadVolumeNameIdentifier(const VDS_LUN_INFORMATION& lun, std::string& name);

// S_OK with |volume_name| set when the deciding identifier qualifies;
// E_FAIL when it does not; S_OK with |volume_name| unchanged when there is
// no vendor-specific identifier at all.
HRESULT VolumeNameFromDeviceIdentifiers(const std::vector<kova::DeviceIdentifier>& identifiers,
                                        std::string& volume_name);
// The same on a page as the device answered it; E_FAIL for bytes that are
// no page 0x83 at all (see kova::DeviceIdPage::usable).
HRESULT VolumeNameFromDeviceIdPage(const std::vector<uint8_t>& page, std::string& volume_name);
