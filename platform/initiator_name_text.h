// The text formats in which Linux keeps this host's initiator names, parsed
// from bytes so the readers stay apart from the files:
// - the open-iscsi initiator name file ("InitiatorName=iqn...." lines);
// - a Fibre Channel host's sysfs "port_name" ("0x" and up to 16 hexadecimal
//   digits, lower case and without leading zeros, then a line break).
// Any input is accepted; what does not fit the format yields nothing.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace platform {

using WorldWideName = std::array<uint8_t, 8>;

// The value of the first "InitiatorName=" line, blanks around the name and
// the "=" removed; blank lines and lines starting with "#" are skipped.
// Empty when no line carries a name.
std::string ParseInitiatorNameFile(const std::string& text);

// The 64-bit port name as 8 bytes, most significant first. False (and
// `wwn` unchanged) unless the text is an optional "0x" and 1 to 16
// hexadecimal digits, with blanks around.
bool ParseFcPortName(const std::string& text, WorldWideName* wwn);

}  // namespace platform
