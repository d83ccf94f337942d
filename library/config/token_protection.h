// The stored form of an array's API token (the "APIKey" REG_BINARY value):
// the token's UTF-16LE bytes with the terminating zero character (2 x length
// + 2 bytes), protected for the local machine (platform/data_protection.h).
// Every intermediate buffer that held the clear token is zeroed before it
// is released.
#pragma once

#include <cpprest/details/basic_types.h>

#include <cstdint>
#include <vector>

// False when protection fails; |blob| is then unchanged.
bool ProtectApiToken(const utility::string_t& token, std::vector<uint8_t>* blob);

// The clear text is taken up to its first zero character. False, with
// |token| unchanged, when the blob cannot be unprotected (altered, or
// protected on another machine).
bool UnprotectApiToken(const std::vector<uint8_t>& blob, utility::string_t* token);
