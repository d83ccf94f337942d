#include "platform/block_device_bus.h"

#include <cstring>
#include <vector>

namespace platform {
namespace {

// "<prefix><one or more of allowed>".
bool IsComponent(const std::string& component, const char* prefix, const char* allowed) {
  const size_t length = std::strlen(prefix);
  if (component.size() <= length || component.compare(0, length, prefix) != 0) return false;
  return component.find_first_not_of(allowed, length) == std::string::npos;
}

std::vector<std::string> Components(const std::string& path) {
  std::vector<std::string> components;
  size_t start = 0;
  while (start <= path.size()) {
    size_t end = path.find('/', start);
    if (end == std::string::npos) end = path.size();
    if (end > start) components.push_back(path.substr(start, end - start));
    start = end + 1;
  }
  return components;
}

}  // namespace

VDS_STORAGE_BUS_TYPE BusTypeOfDevicePath(const std::string& device_path) {
  struct Rule {
    const char* prefix;
    const char* allowed;
    VDS_STORAGE_BUS_TYPE bus;
  };
  // The transport objects the SCSI midlayer puts between a host adapter and
  // its targets; the first rule that matches a component names the bus.
  static const Rule kRules[] = {
      {"session", "0123456789", VDSBusTypeiScsi},    {"rport-", "0123456789:-", VDSBusTypeFibre},
      {"end_device-", "0123456789:", VDSBusTypeSas}, {"ata", "0123456789", VDSBusTypeSata},
      {"usb", "0123456789", VDSBusTypeUsb},          {"target", "0123456789:", VDSBusTypeScsi},
  };
  const std::vector<std::string> components = Components(device_path);
  for (const Rule& rule : kRules) {
    for (const std::string& component : components) {
      if (IsComponent(component, rule.prefix, rule.allowed)) return rule.bus;
    }
  }
  return VDSBusTypeUnknown;
}

}  // namespace platform
