// The machine's own registry implementation, for the registry contract
// suite: the SQLite hive on POSIX, the Windows registry on Windows.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "platform/registry.h"

struct NativeRegistry {
  const char* name;  // "Hive" or "Windows"
  // Opens it; the hive lives in |dir| and asks |is_administrator| who the
  // caller is. The Windows registry ignores both: it is the machine's, and
  // its keys' ACLs judge the real caller.
  std::function<std::shared_ptr<platform::Registry>(const std::string& dir,
                                                    std::function<bool()> is_administrator)>
      open;
  // Empty when a test can play a caller who is no administrator; otherwise
  // why it cannot.
  const char* no_caller_switch;
};

const NativeRegistry& MachineNativeRegistry();
