// The starting content of an emulated array: identity, REST versions, users,
// volumes, snapshots, hosts and connections. The seed file format is
// described in README.md; ValidateSeed (seed_validator.h) states the rules.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kova_sim {

struct SimSeed {
  struct User {
    std::string username;
    std::string password;
    std::string api_token;
  };
  struct Volume {
    std::string name;
    int64_t size = 0;    // bytes
    std::string serial;  // empty: the array assigns one
  };
  struct Snapshot {
    std::string name;    // source + "." + suffix
    std::string source;  // a seeded volume
    std::string serial;  // empty: the array assigns one
  };
  struct Host {
    std::string name;
    std::vector<std::string> iqn;
    std::vector<std::string> wwn;
  };
  struct Connection {
    std::string host;
    std::string volume;
  };
  // How long the array takes to answer what it carries out: request_ms for
  // every request, plus snapshot_ms for each snapshot a request creates.
  struct Latency {
    int request_ms = 0;
    int snapshot_ms = 0;
  };

  std::string array_id;  // a UUID
  std::string array_name;
  std::string array_version = "6.1.0";  // the array software's version
  std::vector<std::string> versions;    // REST API versions offered
  std::vector<User> users;
  std::vector<Volume> volumes;
  std::vector<Snapshot> snapshots;
  std::vector<Host> hosts;
  std::vector<Connection> connections;
  Latency latency;

  // A small demo array: user "admin" / "admin-password" with a fixed token,
  // volumes db01, db02 and logs01, and the host "vss-host".
  static SimSeed Default();
};

}  // namespace kova_sim
