// The system's text conversions, for everything above the platform layer.
// Wide text is utility::string_t (UTF-8 std::string on Linux, UTF-16
// std::wstring on Windows); narrow text is std::string.
//
// - Volume and snapshot names, serials and array identities are ASCII:
//   NarrowText and WidenText convert them unit by unit (with UTF-16,
//   narrowing keeps each unit's low byte and widening takes each byte as a
//   unit; with UTF-8 both are the identity).
// - All other text that crosses between wide text and UTF-8 (JSON bodies,
//   registry strings, device and host texts, log arguments) goes through
//   Utf8OfText and TextOfUtf8. Input that is not valid UTF-8 or UTF-16
//   becomes U+FFFD instead of failing: such bytes may come from anywhere.
// - The UTF-16LE bytes that Windows stores (registry values, protected
//   tokens) are the platform layer's own: platform/utf16.h.
#pragma once

#include <cpprest/details/basic_types.h>

#include <cstddef>
#include <string>

namespace kova {

std::string NarrowText(const utility::string_t& wide);
utility::string_t WidenText(const std::string& narrow);

std::string Utf8OfText(const std::string& text);
std::string Utf8OfText(const std::wstring& text);
// wchar_t is UTF-16 on Windows (surrogate pairs are joined) and UTF-32 on
// Linux; a unit that is no valid code point becomes U+FFFD. For the log
// formatter's "%ls" and "%lc".
std::string WideToUtf8(const wchar_t* text, size_t length);

utility::string_t TextOfUtf8(const std::string& utf8);
void TextOfUtf8(const std::string& utf8, std::string* text);
void TextOfUtf8(const std::string& utf8, std::wstring* text);

}  // namespace kova
