// The bus through which a disk device is attached (iSCSI, Fibre Channel,
// ...), as VDS reports it in a LUN record; it decides which initiator names
// identify this host to the array.
//
// POSIX: the device's node in the block class tree (kBlockClassDirectory
// below the current host files): an iSCSI session, a Fibre Channel remote
// port or a SAS end device on its path gives that bus; a device-mapper
// device (multipath) takes the bus of its first underlying device.
// Windows: IOCTL_STORAGE_QUERY_PROPERTY (StorageDeviceProperty), BusType.
#pragma once

#include <string>

#include "platform/vss_compat.h"

namespace platform {

// VDSBusTypeUnknown when the device or its node cannot be found.
VDS_STORAGE_BUS_TYPE GetDeviceBusType(const std::string& device);

// The bus of a device whose sysfs path (from /sys/devices on) is
// `device_path`.
VDS_STORAGE_BUS_TYPE BusTypeOfDevicePath(const std::string& device_path);

}  // namespace platform
