// Between the system's wide text (utility::string_t: UTF-8 here, UTF-16 on
// Windows) and the UTF-8 text of the platform layer.
#pragma once

#include <string>

namespace kova {

std::string Utf8OfText(const std::string& text);
std::string Utf8OfText(const std::wstring& text);

void TextOfUtf8(const std::string& utf8, std::string* text);
void TextOfUtf8(const std::string& utf8, std::wstring* text);

}  // namespace kova
