#include "library/config/token_protection.h"

#include <string>

#include "platform/data_protection.h"
#include "platform/secure_zero.h"
#include "platform/utf16.h"

namespace {

// The token's UTF-16 code units. With UTF-8 text no buffer is reallocated
// on the way (UTF-16 never needs more units than UTF-8 has bytes), so no
// copy of the token is left behind unzeroed.
[[maybe_unused]] std::u16string CodeUnits(const std::string& utf8) { return platform::Utf8ToUtf16(utf8); }
// One overload of each pair serves this platform's utility::string_t.
[[maybe_unused]] std::u16string CodeUnits(const std::wstring& utf16) {
  return std::u16string(utf16.begin(), utf16.end());
}

// Appends the units to the string type of this platform, with room
// reserved up front for the longest result so that growth never leaves a
// copy behind.
[[maybe_unused]] void FromCodeUnits(const std::u16string& units, std::string* out) {
  out->reserve(units.size() * 3);  // UTF-8 needs at most 3 bytes per unit
  platform::AppendUtf16AsUtf8(units.data(), units.size(), out);
}

[[maybe_unused]] void FromCodeUnits(const std::u16string& units, std::wstring* out) {
  out->assign(units.begin(), units.end());
}

}  // namespace

bool ProtectApiToken(const utility::string_t& token, std::vector<uint8_t>* blob) {
  std::u16string units = CodeUnits(token);
  std::vector<uint8_t> clear = platform::Utf16LeWithTerminator(units);
  const bool ok = platform::ProtectData(clear, blob);
  platform::SecureWipe(&units);
  platform::SecureWipe(&clear);
  return ok;
}

bool UnprotectApiToken(const std::vector<uint8_t>& blob, utility::string_t* token) {
  std::vector<uint8_t> clear;
  if (!platform::UnprotectData(blob, &clear)) return false;
  std::u16string units = platform::Utf16LeUntilTerminator(clear.data(), clear.size());
  // Written straight into |token|: a temporary moved in would leave a copy
  // of a short token in its inline buffer.
  platform::SecureWipe(token);
  FromCodeUnits(units, token);
  platform::SecureWipe(&units);
  platform::SecureWipe(&clear);
  return true;
}
