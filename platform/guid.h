// GUID with its Windows layout, and its registry-form text.
#pragma once

#include <cstdint>
#include <string>

#ifdef _WIN32
#include <guiddef.h>
#else
struct GUID {
  uint32_t Data1;
  uint16_t Data2;
  uint16_t Data3;
  uint8_t Data4[8];
};

inline bool operator==(const GUID& a, const GUID& b) {
  if (a.Data1 != b.Data1 || a.Data2 != b.Data2 || a.Data3 != b.Data3) return false;
  for (int i = 0; i < 8; ++i) {
    if (a.Data4[i] != b.Data4[i]) return false;
  }
  return true;
}
inline bool operator!=(const GUID& a, const GUID& b) { return !(a == b); }
#endif

namespace platform {

// "{6B29FC40-CA47-1067-B31D-00DD010662DA}": 38 characters, upper case, as
// StringFromGUID2 writes it.
std::string GuidToString(const GUID& guid);
// Parses the registry form, braces optional, either case; false when the
// text is not a GUID.
bool GuidFromString(const std::string& text, GUID* guid);

}  // namespace platform
