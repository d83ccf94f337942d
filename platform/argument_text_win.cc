#include <windows.h>

#include "platform/argument_text.h"
#include "platform/command_line_words.h"
#include "platform/wide_text_win.h"

namespace platform {

std::string ProgramArgumentText() {
  const wchar_t* command_line = GetCommandLineW();
  return ArgumentsAfterProgramName(command_line ? Narrow(std::wstring(command_line)) : "");
}

}  // namespace platform
