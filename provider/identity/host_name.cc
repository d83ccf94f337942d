#include "provider/identity/host_name.h"

#include "library/log/log_tags.h"
#include "library/log/logger.h"
#include "provider/identity/hyperv_guest_info.h"
#include "provider/identity/prop_value.h"

namespace {

constexpr const char* kTag = kHostProviderTag;

}  // namespace

utility::string_t ManagementNamespace(const utility::string_t& machine) {
  const utility::string_t local = _XPLATSTR("root\\WMI");
  if (machine.empty()) return local;
  return _XPLATSTR("\\\\") + machine + _XPLATSTR("\\") + local;
}

int GetHostIqn(std::vector<std::string>& names, const utility::string_t& machine) {
  return GetPropValue(ManagementNamespace(machine),
                      _XPLATSTR("select * from MSiSCSIInitiator_MethodClass"),
                      {_XPLATSTR("iSCSINodeName")}, names);
}

int GetHostWwn(std::vector<std::string>& names, const utility::string_t& machine) {
  return GetPropValue(ManagementNamespace(machine),
                      _XPLATSTR("select * from MSFC_FibrePortHBAAttributes"),
                      {_XPLATSTR("Attributes"), _XPLATSTR("PortWWN")}, names);
}

int GetHostName(uint32_t bus_type, std::vector<std::string>& names) {
  Logger::Write(LOG_DEBUG, kTag, "ENTERING: GetHostName()");
  HyperVGuestInfo guest;
  const bool is_guest = guest.Load();
  if (is_guest) {
    Logger::Write(
        LOG_INFO, kTag,
        "GetHostName: Machine is running under HyperV!. HostName=%ls, VMId=%ls, VMName=%ls",
        guest.hostName, guest.vmId, guest.vmName);
  }
  int status = kHostNameNoBus;
  if (bus_type == kHostBusIscsi) {
    Logger::Write(LOG_INFO, kTag, "LocateLuns: Retrieving IQN for host...");
    status = GetHostIqn(names, utility::string_t());
    if (status != 0 && is_guest) status = GetHostIqn(names, guest.hostName);
  } else if (bus_type == kHostBusFibreChannel) {
    Logger::Write(LOG_INFO, kTag, "LocateLuns: Retrieving WWN for host...");
    status = GetHostWwn(names, utility::string_t());
    if (status != 0 && is_guest) status = GetHostWwn(names, guest.hostName);
  } else {
    Logger::Write(LOG_INFO, kTag, "GetHostName: NOT iSCSI NOR FC BusType=%ld encountered!",
                  bus_type);
    if (is_guest) {
      status = GetHostWwn(names, guest.hostName);
      if (status != 0) status = GetHostIqn(names, guest.hostName);
    }
  }
  Logger::Write(LOG_DEBUG, kTag, "EXITING: GetHostName() status=%d", status);
  return status;
}
