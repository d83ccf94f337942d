// Where the host's identity files live: the iSCSI initiator name, the Fibre
// Channel host ports, the Hyper-V guest parameter pool and the block device
// tree. Every path hangs below one root, "/" on a real machine; tests lay
// out a directory of their own and point the process at it.
// Windows reads the same facts from WMI and the registry and ignores this.
#pragma once

#include <string>

namespace platform {

inline constexpr char kInitiatorNameFile[] = "/etc/iscsi/initiatorname.iscsi";
inline constexpr char kFcHostDirectory[] = "/sys/class/fc_host";
inline constexpr char kHyperVKvpPoolFile[] = "/var/lib/hyperv/.kvp_pool_3";
inline constexpr char kBlockClassDirectory[] = "/sys/class/block";

struct HostFiles {
  std::string root = "/";

  // `absolute` (one of the paths above) below the root.
  std::string Path(const std::string& absolute) const;
};

// The files the process reads now. Safe to call from several threads.
HostFiles CurrentHostFiles();

// Moves the process to other files; HostFiles{} restores the machine's.
void SetHostFiles(const HostFiles& files);

}  // namespace platform
