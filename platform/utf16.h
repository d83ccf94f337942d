// UTF-8 <-> UTF-16 conversion for text that crosses into Windows encodings
// (registry strings, protected tokens). Invalid input is replaced with
// U+FFFD rather than rejected: stored bytes may come from anywhere.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace platform {

std::u16string Utf8ToUtf16(const std::string& utf8);
std::string Utf16ToUtf8(const std::u16string& utf16);

// UTF-16LE bytes of |units| followed by a zero character, as Windows stores
// text; sized once, so no partial copy is left behind by growth.
std::vector<uint8_t> Utf16LeWithTerminator(const std::u16string& units);
// The UTF-16LE units of |bytes| up to the first zero character (or the end),
// reserved once for the same reason.
std::u16string Utf16LeUntilTerminator(const uint8_t* bytes, size_t size);

// Appends the UTF-8 encoding of |code_point|; U+FFFD when it is a surrogate
// or above U+10FFFF.
void AppendUtf8(char32_t code_point, std::string* out);
// Appends |count| UTF-16 units as UTF-8, joining surrogate pairs; an
// unpaired surrogate becomes U+FFFD.
void AppendUtf16AsUtf8(const char16_t* units, size_t count, std::string* out);

}  // namespace platform
