// The hosts of the emulated array and their volume connections.
// Not thread-safe: ArrayState guards it.
#pragma once

#include <string>
#include <vector>

namespace kova_sim {

struct StoredHost {
  std::string name;
  std::vector<std::string> iqn;
  std::vector<std::string> wwn;
};

struct StoredConnection {
  std::string host;
  std::string volume;
  int lun = 0;
};

class HostStore {
 public:
  void AddHost(StoredHost host);
  const StoredHost* FindHost(const std::string& name) const;
  // The host that already uses an iSCSI name or WWN, or nullptr.
  const StoredHost* HostWithIdentifier(const std::string& id) const;
  const std::vector<StoredHost>& Hosts() const { return hosts_; }

  bool IsConnected(const std::string& host, const std::string& volume) const;
  bool HasConnections(const std::string& volume) const;
  // Connects with the host's lowest free LUN (from 1); the caller has
  // checked that both exist and are not connected yet.
  StoredConnection Connect(const std::string& host, const std::string& volume);
  void Disconnect(const std::string& host, const std::string& volume);
  // All connections in the order they were made; of one host when `host` is given.
  std::vector<StoredConnection> Connections(const std::string& host = "") const;

 private:
  int FreeLun(const std::string& host) const;

  std::vector<StoredHost> hosts_;
  std::vector<StoredConnection> connections_;
};

}  // namespace kova_sim
