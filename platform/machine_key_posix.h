// The Linux machine key that data protection encrypts under: 32 random
// bytes in $KOVA_STATE_DIR/machine.key, mode 0600.
#pragma once

#include <array>
#include <cstdint>

namespace platform {

using MachineKey = std::array<uint8_t, 32>;

// Reads the key, creating it first when it does not exist. A key file is
// made whole under a temporary name and then linked into place, so that
// concurrent first uses all end up with the one key that won the race and
// no reader ever sees a partial key. False when the key cannot be read or
// created, or the file is not exactly 32 bytes. The caller zeroes |key|.
bool LoadMachineKey(MachineKey* key);

}  // namespace platform
