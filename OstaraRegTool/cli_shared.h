// Pieces that several commands of the tool share.
#pragma once

#include <cpprest/asyncrt_utils.h>
#include <cpprest/details/basic_types.h>

#include <string>

#include "library/text/text_conversion.h"

// Wide text as the console stream takes it.
inline std::string ConsoleText(const utility::string_t& text) {
  return kova::Utf8OfText(text);
}

// Prints the reason and returns false when |name| cannot name an array:
// longer than kMaxArrayNameLength characters, or holding a backslash.
bool CheckNewArrayName(const utility::string_t& name);

// Reads the array |name| with its status and prints it as a table; false,
// with the error printed, when it cannot be read or does not exist.
bool ShowConfiguredArray(const utility::string_t& name);

// The hidden password prompt: echo off, one "*" per character typed,
// backspace erasing the last one, Enter (CR or LF) or the end of input
// ending the entry. Empty without console input.
utility::string_t GetPassword();
