// The usage texts that "/?" shows.
#pragma once

#include <string>

#include "tools/KovaReg/reg_command.h"

namespace kovareg {

// kHelp gives the tool's overview.
std::string UsageText(Operation operation);

}  // namespace kovareg
