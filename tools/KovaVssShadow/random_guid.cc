#include "tools/KovaVssShadow/random_guid.h"

#include <random>

GUID NewRandomGuid() {
  std::random_device source;
  std::uniform_int_distribution<uint32_t> word;
  const uint32_t a = word(source);
  const uint32_t b = word(source);
  const uint32_t c = word(source);
  const uint32_t d = word(source);
  GUID guid{};
  guid.Data1 = a;
  guid.Data2 = static_cast<uint16_t>(b >> 16);
  guid.Data3 = static_cast<uint16_t>((b & 0x0FFF) | 0x4000);  // version 4
  guid.Data4[0] = static_cast<uint8_t>(((c >> 24) & 0x3F) | 0x80);  // variant 1
  guid.Data4[1] = static_cast<uint8_t>(c >> 16);
  guid.Data4[2] = static_cast<uint8_t>(c >> 8);
  guid.Data4[3] = static_cast<uint8_t>(c);
  for (int i = 0; i < 4; ++i) guid.Data4[4 + i] = static_cast<uint8_t>(d >> (24 - 8 * i));
  return guid;
}
