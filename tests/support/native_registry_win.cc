#include "tests/support/native_registry.h"

const NativeRegistry& MachineNativeRegistry() {
  static const NativeRegistry windows{
      "Windows",
      [](const std::string&, std::function<bool()>) { return platform::CreateDefaultMachineRegistry(); },
      "the Windows registry checks a key's ACL against the real caller, and a test "
      "process cannot give up its administrator rights"};
  return windows;
}
