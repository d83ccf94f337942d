#include "platform/registry_hive.h"
#include "tests/support/native_registry.h"

const NativeRegistry& MachineNativeRegistry() {
  static const NativeRegistry hive{
      "Hive",
      [](const std::string& dir, std::function<bool()> is_administrator) {
        platform::HiveOptions options;
        options.path = dir + "/registry.db";
        options.is_administrator = std::move(is_administrator);
        return platform::OpenRegistryHive(options);
      },
      ""};
  return hive;
}
