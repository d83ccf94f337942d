// The argument text of the running program: its whole command line
// without the program name, as one text (UTF-8).
//
// Windows: GetCommandLineW, passed through ArgumentsAfterProgramName.
// Windows only: on POSIX a program receives its arguments split, and the
// installer that needs the whole text runs only on Windows.
#pragma once

#include <string>

namespace platform {

std::string ProgramArgumentText();

}  // namespace platform
