// The grammar of `KovaVssShadow script` (README.md, "Script mode"): one
// provider call per line, words separated by blanks, "..." quoting a word
// that holds blanks (with \" and \\ inside), blank lines and lines whose
// first word starts with # skipped.
#pragma once

#include <istream>
#include <optional>
#include <string>
#include <vector>

#include "tools/KovaVssShadow/script_call.h"

// Splits a line into words; false with |error| for an unterminated quote.
bool SplitScriptWords(const std::string& line, std::vector<std::string>* words, std::string* error);

// Parses one line. True with |call| empty for a blank or comment line;
// false with |error| (without the line number) for a bad line.
bool ParseScriptLine(const std::string& line, int line_number, std::optional<ScriptCall>* call,
                     std::string* error);

// Parses every line of |in| before anything runs; false with
// "line N: reason" for the first bad line.
bool ParseScript(std::istream& in, std::vector<ScriptCall>* calls, std::string* error);
