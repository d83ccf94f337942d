// KovaReg: edits the machine's registry hive with the commands of the
// Windows registry console tool (QUERY, ADD, DELETE).
#include <iostream>
#include <string>
#include <vector>

#include "platform/registry.h"
#include "tools/KovaReg/reg_editor.h"

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  return kovareg::RunKovaReg(args, platform::MachineRegistry(), std::cin, std::cout, std::cerr);
}
