// The provider program's switches in its command line: a "-" or "/" and the
// word after it, which ends at a blank, a tab or the end of the line.
#pragma once

#include <string>

namespace kova_service {

// The position just after the next "-" or "/" at or after |from|;
// std::string::npos when there is none. Switch characters are found
// anywhere, also inside a word.
size_t FindNextSwitch(const std::string& line, size_t from);

// Whether the word at |at| is |word| without regard to ASCII case; a longer
// word that begins with it is not.
bool SwitchWordIs(const std::string& line, size_t at, const char* word);

}  // namespace kova_service
