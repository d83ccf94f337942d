// UTF-8 <-> UTF-16 conversion for text that crosses into Windows encodings
// (registry strings, protected tokens). Invalid input is replaced with
// U+FFFD rather than rejected: stored bytes may come from anywhere.
#pragma once

#include <string>

namespace platform {

std::u16string Utf8ToUtf16(const std::string& utf8);
std::string Utf16ToUtf8(const std::u16string& utf16);

}  // namespace platform
