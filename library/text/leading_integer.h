// Numbers kept as registry text.
#pragma once

#include <cpprest/details/basic_types.h>

#include <cstdint>

namespace kova {

// The leading decimal integer of |text| as _wtol reads it: leading blanks,
// an optional sign, digits; 0 when there are none; clamped to 32 bits.
int32_t ParseLeadingInteger(const utility::string_t& text);

}  // namespace kova
