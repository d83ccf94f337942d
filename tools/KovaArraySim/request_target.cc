#include "tools/KovaArraySim/request_target.h"

namespace kova_sim {
namespace {

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool PercentDecode(const std::string& text, std::string* out) {
  out->clear();
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '%') {
      out->push_back(text[i]);
      continue;
    }
    if (i + 2 >= text.size()) return false;
    const int high = HexValue(text[i + 1]);
    const int low = HexValue(text[i + 2]);
    if (high < 0 || low < 0 || (high == 0 && low == 0)) return false;
    out->push_back(static_cast<char>(high * 16 + low));
    i += 2;
  }
  return true;
}

// Splits raw text at each separator; pieces stay encoded.
std::vector<std::string> Split(const std::string& text, char separator) {
  std::vector<std::string> pieces;
  size_t start = 0;
  while (true) {
    const size_t end = text.find(separator, start);
    pieces.push_back(text.substr(start, end == std::string::npos ? std::string::npos : end - start));
    if (end == std::string::npos) return pieces;
    start = end + 1;
  }
}

bool ParseQuery(const std::string& query, std::map<std::string, std::string>* out) {
  for (const std::string& pair : Split(query, '&')) {
    if (pair.empty()) continue;
    const size_t equals = pair.find('=');
    std::string key;
    std::string value;
    if (!PercentDecode(pair.substr(0, equals), &key)) return false;
    if (equals != std::string::npos && !PercentDecode(pair.substr(equals + 1), &value)) return false;
    (*out)[key] = value;
  }
  return true;
}

}  // namespace

bool ParseRequestTarget(const std::string& target, RequestTarget* out) {
  *out = RequestTarget();
  if (target.empty() || target[0] != '/') return false;
  const size_t question = target.find('?');
  const std::string path = target.substr(1, question == std::string::npos ? std::string::npos : question - 1);
  for (const std::string& raw : Split(path, '/')) {
    std::string segment;
    if (!PercentDecode(raw, &segment)) return false;
    out->segments.push_back(std::move(segment));
  }
  return question == std::string::npos || ParseQuery(target.substr(question + 1), &out->query);
}

}  // namespace kova_sim
