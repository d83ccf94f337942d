#include "tools/KovaReg/reg_values.h"

#include <cstdio>

#include "platform/registry.h"

namespace kovareg {
namespace {

const char* const kTypeNames[] = {
    "REG_NONE",          "REG_SZ",        "REG_EXPAND_SZ",
    "REG_BINARY",        "REG_DWORD",     "REG_DWORD_BIG_ENDIAN",
    "REG_LINK",          "REG_MULTI_SZ",  "REG_RESOURCE_LIST",
    "REG_FULL_RESOURCE_DESCRIPTOR", "REG_RESOURCE_REQUIREMENTS_LIST", "REG_QWORD",
};

std::string Upper(std::string text) {
  for (char& c : text) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return text;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool ParseDword(const std::string& text, uint32_t* number) {
  const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
  const unsigned base = hex ? 16 : 10;
  uint64_t value = 0;
  for (size_t i = hex ? 2 : 0; i < text.size(); ++i) {
    const int digit = HexDigit(text[i]);
    if (digit < 0 || static_cast<unsigned>(digit) >= base) return false;
    value = value * base + static_cast<unsigned>(digit);
    if (value > 0xFFFFFFFFull) return false;
  }
  *number = static_cast<uint32_t>(value);
  return true;
}

bool ParseHexBytes(const std::string& text, std::vector<uint8_t>* bytes) {
  const std::string digits = text.size() % 2 ? "0" + text : text;
  bytes->clear();
  for (size_t i = 0; i < digits.size(); i += 2) {
    const int high = HexDigit(digits[i]);
    const int low = HexDigit(digits[i + 1]);
    if (high < 0 || low < 0) return false;
    bytes->push_back(static_cast<uint8_t>(high * 16 + low));
  }
  return true;
}

std::string UpperHex(const std::vector<uint8_t>& data) {
  static const char kDigits[] = "0123456789ABCDEF";
  std::string text;
  for (uint8_t byte : data) {
    text += kDigits[byte >> 4];
    text += kDigits[byte & 0x0F];
  }
  return text;
}

}  // namespace

std::string TypeName(uint32_t type) {
  if (type < sizeof(kTypeNames) / sizeof(kTypeNames[0])) return kTypeNames[type];
  return "REG_UNKNOWN";
}

bool ParseTypeName(const std::string& text, uint32_t* type) {
  const std::string upper = Upper(text);
  for (uint32_t t : {platform::kRegSz, platform::kRegExpandSz, platform::kRegDword,
                     platform::kRegBinary}) {
    if (upper == kTypeNames[t]) {
      *type = t;
      return true;
    }
  }
  return false;
}

std::string FormatData(uint32_t type, const std::vector<uint8_t>& data) {
  switch (type) {
    case platform::kRegSz:
    case platform::kRegExpandSz:
      return platform::DecodeRegistryString(data.data(), static_cast<uint32_t>(data.size()));
    case platform::kRegDword:
      if (data.size() == 4) {
        const uint32_t number = data[0] | (data[1] << 8) | (data[2] << 16) |
                                (static_cast<uint32_t>(data[3]) << 24);
        char text[16];
        std::snprintf(text, sizeof(text), "0x%x", number);
        return text;
      }
      return UpperHex(data);
    default:
      return UpperHex(data);
  }
}

bool EncodeData(uint32_t type, const std::string& text, std::vector<uint8_t>* bytes) {
  switch (type) {
    case platform::kRegSz:
    case platform::kRegExpandSz:
      *bytes = platform::EncodeRegistryString(text);
      return true;
    case platform::kRegDword: {
      uint32_t number = 0;
      if (!ParseDword(text, &number)) return false;
      *bytes = {static_cast<uint8_t>(number), static_cast<uint8_t>(number >> 8),
                static_cast<uint8_t>(number >> 16), static_cast<uint8_t>(number >> 24)};
      return true;
    }
    case platform::kRegBinary:
      return ParseHexBytes(text, bytes);
    default:
      return false;
  }
}

}  // namespace kovareg
