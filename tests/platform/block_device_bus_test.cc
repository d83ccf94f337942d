// The bus of a disk, from its place in the device tree: sample sysfs paths,
// and a block class tree laid out with links as the kernel makes it.
#include <gtest/gtest.h>

#include "platform/block_device_bus.h"
#include "tests/support/host_root.h"

namespace {

using identity_test::HostRoot;

TEST(BusTypeOfDevicePathTest, TransportObjectOnThePathNamesTheBus) {
  EXPECT_EQ(VDSBusTypeiScsi, platform::BusTypeOfDevicePath(
                                 "/devices/platform/host3/session1/target3:0:0/3:0:0:1/block/sdb"));
  EXPECT_EQ(VDSBusTypeFibre,
            platform::BusTypeOfDevicePath("/devices/pci0000:00/0000:00:03.0/host5/rport-5:0-2/"
                                          "target5:0:1/5:0:1:3/block/sdc/sdc1"));
  EXPECT_EQ(VDSBusTypeSas,
            platform::BusTypeOfDevicePath("/devices/pci0000:00/host0/port-0:0/end_device-0:0/"
                                          "target0:0:0/0:0:0:0/block/sda"));
  EXPECT_EQ(VDSBusTypeSata, platform::BusTypeOfDevicePath(
                                "/devices/pci0000:00/ata1/host0/target0:0:0/0:0:0:0/block/sda"));
  EXPECT_EQ(VDSBusTypeScsi, platform::BusTypeOfDevicePath(
                                "/devices/pci0000:00/virtio1/host2/target2:0:0/2:0:0:0/block/sda"));
  EXPECT_EQ(VDSBusTypeUnknown, platform::BusTypeOfDevicePath("/devices/virtual/block/loop0"));
  EXPECT_EQ(VDSBusTypeUnknown, platform::BusTypeOfDevicePath("/devices/x/sessionA/targetB/sda"));
  EXPECT_EQ(VDSBusTypeUnknown, platform::BusTypeOfDevicePath(""));
}

class DeviceBusTest : public testing::Test {
 protected:
  // A disk node under /sys/devices with its block class link.
  void AddDisk(const std::string& name, const std::string& device_path) {
    root_.Write(device_path + "/dev", "8:16\n");
    root_.Link("/sys/class/block/" + name, root_.Path(device_path).string());
  }

  HostRoot root_;
};

TEST_F(DeviceBusTest, DiskIsFoundThroughItsBlockClassLink) {
  AddDisk("sdb", "/sys/devices/platform/host3/session1/target3:0:0/3:0:0:1/block/sdb");
  AddDisk("sdb1", "/sys/devices/platform/host3/session1/target3:0:0/3:0:0:1/block/sdb/sdb1");
  EXPECT_EQ(VDSBusTypeiScsi, platform::GetDeviceBusType("/dev/sdb"));
  EXPECT_EQ(VDSBusTypeiScsi, platform::GetDeviceBusType("/dev/sdb1"));
  EXPECT_EQ(VDSBusTypeUnknown, platform::GetDeviceBusType("/dev/sdz"));
  EXPECT_EQ(VDSBusTypeUnknown, platform::GetDeviceBusType(""));
}

TEST_F(DeviceBusTest, MultipathDeviceTakesTheBusOfItsFirstPath) {
  AddDisk("sdd", "/sys/devices/pci0000:00/host5/rport-5:0-2/target5:0:1/5:0:1:3/block/sdd");
  AddDisk("sdc", "/sys/devices/pci0000:00/host4/rport-4:0-1/target4:0:1/4:0:1:3/block/sdc");
  AddDisk("dm-0", "/sys/devices/virtual/block/dm-0");
  root_.Link("/sys/devices/virtual/block/dm-0/slaves/sdd", "../../../../pci0000:00");
  root_.Link("/sys/devices/virtual/block/dm-0/slaves/sdc", "../../../../pci0000:00");
  EXPECT_EQ(VDSBusTypeFibre, platform::GetDeviceBusType("/dev/dm-0"));
}

TEST_F(DeviceBusTest, StackedDevicesAreFollowedOnlySoDeep) {
  for (int i = 0; i < 8; ++i) {
    const std::string name = "dm-" + std::to_string(i);
    AddDisk(name, "/sys/devices/virtual/block/" + name);
    root_.Link("/sys/devices/virtual/block/" + name + "/slaves/dm-" + std::to_string(i + 1), "/");
  }
  AddDisk("dm-8", "/sys/devices/virtual/block/dm-8");
  EXPECT_EQ(VDSBusTypeUnknown, platform::GetDeviceBusType("/dev/dm-0"));
  // A device that lists itself as its own slave ends the same way.
  root_.Link("/sys/devices/virtual/block/dm-8/slaves/dm-8", "/");
  EXPECT_EQ(VDSBusTypeUnknown, platform::GetDeviceBusType("/dev/dm-8"));
}

}  // namespace
