#include "tools/KovaArraySim/host_store.h"

#include <algorithm>
#include <set>

namespace kova_sim {

void HostStore::AddHost(StoredHost host) { hosts_.push_back(std::move(host)); }

const StoredHost* HostStore::FindHost(const std::string& name) const {
  for (const StoredHost& host : hosts_) {
    if (host.name == name) return &host;
  }
  return nullptr;
}

const StoredHost* HostStore::HostWithIdentifier(const std::string& id) const {
  for (const StoredHost& host : hosts_) {
    if (std::count(host.iqn.begin(), host.iqn.end(), id) != 0 ||
        std::count(host.wwn.begin(), host.wwn.end(), id) != 0) {
      return &host;
    }
  }
  return nullptr;
}

bool HostStore::IsConnected(const std::string& host, const std::string& volume) const {
  return std::any_of(connections_.begin(), connections_.end(), [&](const StoredConnection& c) {
    return c.host == host && c.volume == volume;
  });
}

bool HostStore::HasConnections(const std::string& volume) const {
  return std::any_of(connections_.begin(), connections_.end(),
                     [&](const StoredConnection& c) { return c.volume == volume; });
}

StoredConnection HostStore::Connect(const std::string& host, const std::string& volume) {
  StoredConnection connection{host, volume, FreeLun(host)};
  connections_.push_back(connection);
  return connection;
}

void HostStore::Disconnect(const std::string& host, const std::string& volume) {
  connections_.erase(std::remove_if(connections_.begin(), connections_.end(),
                                    [&](const StoredConnection& c) {
                                      return c.host == host && c.volume == volume;
                                    }),
                     connections_.end());
}

std::vector<StoredConnection> HostStore::Connections(const std::string& host) const {
  std::vector<StoredConnection> result;
  for (const StoredConnection& c : connections_) {
    if (host.empty() || c.host == host) result.push_back(c);
  }
  return result;
}

int HostStore::FreeLun(const std::string& host) const {
  std::set<int> used;
  for (const StoredConnection& c : connections_) {
    if (c.host == host) used.insert(c.lun);
  }
  int lun = 1;
  while (used.count(lun) != 0) ++lun;
  return lun;
}

}  // namespace kova_sim
