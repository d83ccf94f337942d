// The configuration tool's entry: banner, administrator check, default
// settings, the tool's log, then the one command of the command line.
#pragma once

#include "OstaraRegTool/command_line.h"

// Returns the process exit code: RC_NOT_ADMINISTRATOR (18) for a user who
// is not an administrator, the failing code of a start-up step (19, 6, 14
// or 4), else 0 whatever the command's own outcome.
int RunKovaProviderConfig(const CommandArgs& args);

// The banner's three lines.
void PrintBanner(const utility::string_t& program);
