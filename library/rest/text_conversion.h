// Conversions between the library's wide text (utility::string_t) and the
// narrow ASCII names, serials and identifiers exchanged with arrays.
// With UTF-16 strings, narrowing keeps each code unit's low byte and
// widening takes each byte as a code unit; with UTF-8 strings both are the
// identity.
#pragma once

#include <cpprest/details/basic_types.h>

#include <string>

namespace kova {

std::string NarrowText(const utility::string_t& wide);
utility::string_t WidenText(const std::string& narrow);

// The leading decimal integer of |text| as _wtol reads it: leading blanks,
// an optional sign, digits; 0 when there are none; clamped to 32 bits.
int32_t ParseLeadingInteger(const utility::string_t& text);

}  // namespace kova
