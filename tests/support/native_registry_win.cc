#include "tests/support/native_registry.h"

const NativeRegistry& MachineNativeRegistry() {
  static const NativeRegistry windows{
      "Windows",
      [](const std::string&, std::function<bool()>) {
        // The process's registry is the machine's and lives as long as it.
        return std::shared_ptr<platform::Registry>(&platform::MachineRegistry(),
                                                   [](platform::Registry*) {});
      },
      "the Windows registry checks a key's ACL against the real caller, and a test "
      "process cannot give up its administrator rights"};
  return windows;
}
