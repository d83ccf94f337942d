#include "tools/KovaArraySim/object_names.h"

#include <cctype>

namespace kova_sim {
namespace {

bool IsAsciiAlnum(char c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool IsHexDigit(char c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

}  // namespace

bool IsValidObjectName(const std::string& name) {
  if (name.empty() || name.size() > 63 || !IsAsciiAlnum(name[0])) return false;
  for (char c : name) {
    if (!IsAsciiAlnum(c) && c != '-' && c != '_') return false;
  }
  return true;
}

bool IsValidArrayId(const std::string& id) {
  static const size_t kGroups[] = {8, 4, 4, 4, 12};
  size_t pos = 0;
  for (size_t g = 0; g < 5; ++g) {
    if (g > 0) {
      if (pos >= id.size() || id[pos] != '-') return false;
      ++pos;
    }
    for (size_t i = 0; i < kGroups[g]; ++i, ++pos) {
      if (pos >= id.size() || !IsHexDigit(id[pos])) return false;
    }
  }
  return pos == id.size();
}

bool IsValidSeedSerial(const std::string& serial) {
  if (serial.empty() || serial.size() > 64) return false;
  for (char c : serial) {
    if (!IsHexDigit(c)) return false;
  }
  return true;
}

std::string SerialPrefix(const std::string& array_id) {
  std::string digits;
  for (char c : array_id) {
    if (c != '-') digits += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  }
  return digits.size() > 16 ? digits.substr(digits.size() - 16) : digits;
}

}  // namespace kova_sim
