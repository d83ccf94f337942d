#include "platform/initiator_name_text.h"

namespace platform {
namespace {

constexpr char kBlanks[] = " \t\r\n\v\f";
constexpr char kInitiatorNameKey[] = "InitiatorName";

std::string Trim(const std::string& text) {
  const size_t first = text.find_first_not_of(kBlanks);
  if (first == std::string::npos) return std::string();
  const size_t last = text.find_last_not_of(kBlanks);
  return text.substr(first, last - first + 1);
}

// The name on one trimmed line, or "" when the line names none.
std::string NameOnLine(const std::string& line) {
  const std::string key = kInitiatorNameKey;
  if (line.compare(0, key.size(), key) != 0) return std::string();
  const std::string rest = Trim(line.substr(key.size()));
  if (rest.empty() || rest[0] != '=') return std::string();
  return Trim(rest.substr(1));
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

std::string ParseInitiatorNameFile(const std::string& text) {
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    const std::string line = Trim(text.substr(start, end - start));
    if (!line.empty() && line[0] != '#') {
      const std::string name = NameOnLine(line);
      if (!name.empty()) return name;
    }
    start = end + 1;
  }
  return std::string();
}

bool ParseFcPortName(const std::string& text, WorldWideName* wwn) {
  std::string digits = Trim(text);
  if (digits.size() >= 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X')) {
    digits.erase(0, 2);
  }
  if (digits.empty() || digits.size() > 16) return false;
  uint64_t value = 0;
  for (char c : digits) {
    const int nibble = HexValue(c);
    if (nibble < 0) return false;
    value = (value << 4) | static_cast<uint64_t>(nibble);
  }
  for (int i = 7; i >= 0; --i) {
    (*wwn)[static_cast<size_t>(i)] = static_cast<uint8_t>(value & 0xFF);
    value >>= 8;
  }
  return true;
}

}  // namespace platform
