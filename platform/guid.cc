#include "platform/guid.h"

#include <cctype>
#include <cstdio>

namespace platform {

std::string GuidToString(const GUID& guid) {
  char text[39];
  std::snprintf(text, sizeof text,
                "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}",
                static_cast<unsigned>(guid.Data1), guid.Data2, guid.Data3,
                guid.Data4[0], guid.Data4[1], guid.Data4[2], guid.Data4[3],
                guid.Data4[4], guid.Data4[5], guid.Data4[6], guid.Data4[7]);
  return text;
}

bool GuidFromString(const std::string& text, GUID* guid) {
  std::string body = text;
  if (body.size() == 38 && body.front() == '{' && body.back() == '}') {
    body = body.substr(1, 36);
  }
  if (body.size() != 36) return false;
  std::string hex;
  for (size_t i = 0; i < body.size(); ++i) {
    const bool dash_position = i == 8 || i == 13 || i == 18 || i == 23;
    if (dash_position != (body[i] == '-')) return false;
    if (dash_position) continue;
    if (!std::isxdigit(static_cast<unsigned char>(body[i]))) return false;
    hex += body[i];
  }
  const auto field = [&](size_t pos, size_t len) {
    return std::stoul(hex.substr(pos, len), nullptr, 16);
  };
  guid->Data1 = static_cast<uint32_t>(field(0, 8));
  guid->Data2 = static_cast<uint16_t>(field(8, 4));
  guid->Data3 = static_cast<uint16_t>(field(12, 4));
  for (int i = 0; i < 8; ++i) {
    guid->Data4[i] = static_cast<uint8_t>(field(16 + 2 * i, 2));
  }
  return true;
}

}  // namespace platform
