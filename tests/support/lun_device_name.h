// A device name in the LUN record's own character type (wide on Windows),
// from UTF-8.
#pragma once

#include <cpprest/asyncrt_utils.h>

#include <string>

#include "provider/lun/lun_record_array.h"

inline LunDeviceName DeviceName(const std::string& utf8) {
  const utility::string_t text = utility::conversions::to_string_t(utf8);
  return LunDeviceName(text.begin(), text.end());
}
