// Protection of secrets for this machine: what one process protects, any
// process of the same machine can unprotect, and nothing else can.
//
// Linux: AES-256-GCM under a random 32-byte machine key kept in
// $KOVA_STATE_DIR/machine.key (mode 0600), created on first use; processes
// racing to create it agree on one key. A blob is
//   'K' (0x4B), version 1, 12-byte random nonce, ciphertext, 16-byte tag
// with the first 14 bytes authenticated as associated data. A tampered,
// truncated or foreign blob (another machine's key) or an unknown version
// fails to unprotect.
// Windows: CryptProtectData / CryptUnprotectData with the local-machine
// flag (4), no description, entropy or prompt; the blob is DPAPI's own.
//
// Every buffer that held clear text or the key is zeroed before release,
// except the caller's own |clear| arguments.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/secure_zero.h"

namespace platform {

// False when the machine key cannot be read or created, or encryption fails.
bool ProtectData(const std::vector<uint8_t>& clear, std::vector<uint8_t>* blob);

// False, with |clear| untouched, when |blob| cannot be authenticated.
bool UnprotectData(const std::vector<uint8_t>& blob, std::vector<uint8_t>* clear);

}  // namespace platform
