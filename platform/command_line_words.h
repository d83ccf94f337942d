// The words of a command line as the Windows conventions split them, for
// the places where a command line built as one text must be taken apart.
#pragma once

#include <string>
#include <vector>

namespace platform {

// Words are separated by spaces and tabs; a double quote starts or ends a
// quoted part, in which blanks belong to the word, and is itself dropped;
// "" inside a quoted part is one literal quote. An unterminated quote runs
// to the end of the text.
std::vector<std::string> SplitCommandLine(const std::string& command_line);

// What follows the program name of a whole command line, as WinMain's
// argument text: the program name is a quoted part when it begins with a
// double quote, else everything up to the first blank; the blanks after it
// are skipped as well.
std::string ArgumentsAfterProgramName(const std::string& command_line);

}  // namespace platform
