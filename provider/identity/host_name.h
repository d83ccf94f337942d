// This host's initiator names as an array knows them: iSCSI qualified names
// or Fibre Channel port names (16 upper-case hexadecimal digits), chosen by
// the bus of the LUN at hand. Inside a Hyper-V guest whose disks are really
// the physical host's, the physical host is asked instead when the local
// query fails (or, for other buses, always).
//
// Nothing is cached: every call queries anew. Statuses are those of
// GetPropValue (prop_value.h); results replace the list's contents.
#pragma once

#include <cpprest/details/basic_types.h>

#include <cstdint>
#include <string>
#include <vector>

inline constexpr uint32_t kHostBusIscsi = 9;         // VDSBusTypeiScsi
inline constexpr uint32_t kHostBusFibreChannel = 6;  // VDSBusTypeFibre
// GetHostName's status for another bus on a machine that is no guest.
inline constexpr int kHostNameNoBus = 4;

// 0 with the names in `names`, else the failing query's status, or
// kHostNameNoBus.
int GetHostName(uint32_t bus_type, std::vector<std::string>& names);

// The IQNs of `machine` (empty: this machine).
int GetHostIqn(std::vector<std::string>& names, const utility::string_t& machine);

// The Fibre Channel port WWNs of `machine` (empty: this machine).
int GetHostWwn(std::vector<std::string>& names, const utility::string_t& machine);

// "root\WMI" for this machine, "\\" machine "\root\WMI" for another.
utility::string_t ManagementNamespace(const utility::string_t& machine);
