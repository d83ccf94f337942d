// Registry value data as the registry console tool shows and takes it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kovareg {

// "REG_SZ", "REG_DWORD", ...; "REG_UNKNOWN" for a type with no name.
std::string TypeName(uint32_t type);

// Accepts REG_SZ, REG_EXPAND_SZ, REG_DWORD and REG_BINARY (any case).
bool ParseTypeName(const std::string& text, uint32_t* type);

// Strings up to their first zero character, REG_DWORD as "0x" and
// lower-case hex, everything else (and a REG_DWORD that is not 4 bytes) as
// upper-case hex digits without separators.
std::string FormatData(uint32_t type, const std::vector<uint8_t>& data);

// Turns /d text into the bytes stored for |type|: strings as UTF-16LE with
// the terminator; REG_DWORD from decimal or "0x" hex up to 0xFFFFFFFF,
// empty meaning 0; REG_BINARY from hex digits (an odd count gets a leading
// zero). False when the text does not fit the type.
bool EncodeData(uint32_t type, const std::string& text, std::vector<uint8_t>* bytes);

}  // namespace kovareg
