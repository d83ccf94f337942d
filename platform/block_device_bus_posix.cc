#include <filesystem>

#include "platform/block_device_bus.h"
#include "platform/host_files.h"

namespace platform {
namespace {

namespace fs = std::filesystem;

// Stacked devices (device-mapper over several paths) are followed this deep.
constexpr int kMaxStackDepth = 4;

VDS_STORAGE_BUS_TYPE BusOfNode(const fs::path& block_dir, const fs::path& root,
                               const std::string& name, int depth) {
  std::error_code error;
  const fs::path node = fs::canonical(block_dir / name, error);
  if (error) return VDSBusTypeUnknown;
  if (depth < kMaxStackDepth) {
    std::string first_slave;
    for (fs::directory_iterator it(node / "slaves", error), end; !error && it != end;
         it.increment(error)) {
      const std::string slave = it->path().filename().string();
      if (first_slave.empty() || slave < first_slave) first_slave = slave;
    }
    if (!first_slave.empty()) return BusOfNode(block_dir, root, first_slave, depth + 1);
  }
  const fs::path relative = node.lexically_relative(root);
  return BusTypeOfDevicePath("/" + relative.generic_string());
}

}  // namespace

VDS_STORAGE_BUS_TYPE GetDeviceBusType(const std::string& device) {
  const HostFiles files = CurrentHostFiles();
  std::error_code error;
  fs::path resolved = fs::weakly_canonical(device, error);
  if (error) resolved = device;
  const std::string name = resolved.filename().string();
  if (name.empty()) return VDSBusTypeUnknown;
  const fs::path root = fs::weakly_canonical(files.Path("/"), error);
  return BusOfNode(files.Path(kBlockClassDirectory), error ? fs::path("/") : root, name, 0);
}

}  // namespace platform
