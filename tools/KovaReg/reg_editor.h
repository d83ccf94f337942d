// Runs KovaReg commands against a registry with the output of the Windows
// registry console tool: results and prompts on |out|, "ERROR: ..." lines
// on |err|, answers to "(Yes/No)?" prompts read line by line from |in| (the
// end of input answers No).
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

#include "platform/registry.h"
#include "tools/KovaReg/reg_command.h"

namespace kovareg {

// The process exit code: 0 when the command ran (also when the user
// declined a prompt), 1 when it failed.
int ExecuteRegCommand(const RegCommand& command, platform::Registry& registry,
                      std::istream& in, std::ostream& out, std::ostream& err);

// Parses |args| (without the program name) and executes them.
int RunKovaReg(const std::vector<std::string>& args, platform::Registry& registry,
               std::istream& in, std::ostream& out, std::ostream& err);

}  // namespace kovareg
