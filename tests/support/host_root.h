// A private host file tree for one test: the process reads its initiator
// names, Hyper-V parameters and block device tree from here until the
// object goes away.
#pragma once

#include <filesystem>
#include <fstream>
#include <string>

#include "platform/host_files.h"
#include "platform/kvp_pool.h"
#include "tests/support/temp_dir.h"

namespace identity_test {

class HostRoot {
 public:
  HostRoot() { platform::SetHostFiles(platform::HostFiles{dir_.str()}); }
  // nullptr where the system reads these facts from host files; otherwise
  // why a test of them cannot run.
  static const char* NoHostFiles() {
#ifdef _WIN32
    return "the host files are the POSIX backend; Windows asks WMI and the registry";
#else
    return nullptr;
#endif
  }
  ~HostRoot() { platform::SetHostFiles(platform::HostFiles{}); }
  HostRoot(const HostRoot&) = delete;
  HostRoot& operator=(const HostRoot&) = delete;

  std::filesystem::path Path(const std::string& absolute) const {
    return dir_.path() / absolute.substr(1);
  }

  void Write(const std::string& absolute, const std::string& bytes) const {
    std::filesystem::create_directories(Path(absolute).parent_path());
    std::ofstream(Path(absolute), std::ios::binary) << bytes;
  }

  void Link(const std::string& absolute, const std::string& target) const {
    std::filesystem::create_directories(Path(absolute).parent_path());
    std::filesystem::create_directory_symlink(target, Path(absolute));
  }

  // A Fibre Channel host as sysfs shows it: a link to the adapter's
  // fc_host directory holding "port_name".
  void AddFcHost(int number, const std::string& port_name) const {
    const std::string name = "host" + std::to_string(number);
    const std::string device = "/sys/devices/pci0000:00/0000:00:03.0/" + name + "/fc_host/" + name;
    Write(device + "/port_name", port_name);
    Link("/sys/class/fc_host/" + name, Path(device).string());
  }

  static std::string KvpRecord(const std::string& key, const std::string& value) {
    std::string record(platform::kKvpRecordSize, '\0');
    record.replace(0, key.size(), key);
    record.replace(platform::kKvpKeySize, value.size(), value);
    return record;
  }

 private:
  TempDir dir_;
};

}  // namespace identity_test
