// The tool's command line as its commands see it: the arguments, the joined
// line that command patterns are searched in, and the form written to the
// log with the password masked.
#pragma once

#include <cpprest/details/basic_types.h>

#include <cstddef>
#include <vector>

// Argument 0 is the program's name, argument 1 the command word.
using CommandArgs = std::vector<utility::string_t>;

// Lines longer than this match no pattern. std::regex searches recursively,
// one stack frame per character, so an enormous argument would otherwise
// overflow the stack; no valid command comes near it. A line of this length
// needs about 2.5 MiB of stack: Windows programs are linked with 8 MiB.
inline constexpr size_t kMaxPatternLineLength = 8192;

// Arguments 1 to the last, each followed by exactly one space.
utility::string_t JoinCommandLine(const CommandArgs& args);

// Whether the ECMAScript |pattern| matches anywhere in |line|.
bool MatchesPattern(const utility::string_t& line, const char* pattern);

// Every argument, the program's name included, each followed by one space;
// an argument equal to "--password" (any case) is followed by " ********"
// in place of the next argument.
utility::string_t MaskedCommandLine(const CommandArgs& args);

// The program's file name without its folder and without everything from
// its first ".".
utility::string_t ProgramBaseName(const utility::string_t& program);

// |url| with "https://" in front unless it contains "https://" anywhere.
utility::string_t WithHttpsScheme(const utility::string_t& url);
