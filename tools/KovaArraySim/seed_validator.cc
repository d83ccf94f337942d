#include "tools/KovaArraySim/seed_validator.h"

#include <set>
#include <stdexcept>
#include <string>

#include "tools/KovaArraySim/object_names.h"

namespace kova_sim {
namespace {

[[noreturn]] void Fail(const std::string& member, const std::string& problem) {
  throw std::invalid_argument(member + ": " + problem);
}

std::string Item(const char* list, size_t index, const char* member) {
  return std::string(list) + "[" + std::to_string(index) + "]." + member;
}

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

void ValidateArray(const SimSeed& seed) {
  if (!IsValidArrayId(seed.array_id)) Fail("array.id", "must be a UUID, got " + Quoted(seed.array_id));
  if (seed.array_name.empty()) Fail("array.name", "must not be empty");
  if (seed.versions.empty()) Fail("versions", "must list at least one REST API version");
  std::set<std::string> seen;
  for (size_t i = 0; i < seed.versions.size(); ++i) {
    const std::string member = "versions[" + std::to_string(i) + "]";
    if (seed.versions[i].empty()) Fail(member, "must not be empty");
    if (!seen.insert(seed.versions[i]).second) Fail(member, "repeats " + Quoted(seed.versions[i]));
  }
}

void ValidateUsers(const SimSeed& seed) {
  std::set<std::string> names;
  std::set<std::string> tokens;
  for (size_t i = 0; i < seed.users.size(); ++i) {
    const SimSeed::User& user = seed.users[i];
    if (user.username.empty()) Fail(Item("users", i, "username"), "must not be empty");
    if (user.password.empty()) Fail(Item("users", i, "password"), "must not be empty");
    if (user.api_token.empty()) Fail(Item("users", i, "api_token"), "must not be empty");
    if (!names.insert(user.username).second) {
      Fail(Item("users", i, "username"), "repeats " + Quoted(user.username));
    }
    if (!tokens.insert(user.api_token).second) Fail(Item("users", i, "api_token"), "is already used");
  }
}

void CheckSerial(const std::string& serial, const std::string& member, std::set<std::string>* serials) {
  if (serial.empty()) return;
  if (!IsValidSeedSerial(serial)) Fail(member, "must be 1 to 64 hexadecimal digits, got " + Quoted(serial));
  if (!serials->insert(serial).second) Fail(member, "repeats " + Quoted(serial));
}

void ValidateVolumes(const SimSeed& seed, std::set<std::string>* serials) {
  std::set<std::string> names;
  for (size_t i = 0; i < seed.volumes.size(); ++i) {
    const SimSeed::Volume& volume = seed.volumes[i];
    const std::string member = Item("volumes", i, "name");
    if (!IsValidObjectName(volume.name)) Fail(member, "is not a valid name: " + Quoted(volume.name));
    if (!names.insert(volume.name).second) Fail(member, "repeats " + Quoted(volume.name));
    if (volume.size <= 0) Fail(Item("volumes", i, "size"), "must be a positive number of bytes");
    CheckSerial(volume.serial, Item("volumes", i, "serial"), serials);
  }
}

bool IsSeededVolume(const SimSeed& seed, const std::string& name) {
  for (const SimSeed::Volume& volume : seed.volumes) {
    if (volume.name == name) return true;
  }
  return false;
}

void ValidateSnapshots(const SimSeed& seed, std::set<std::string>* serials) {
  std::set<std::string> names;
  for (size_t i = 0; i < seed.snapshots.size(); ++i) {
    const SimSeed::Snapshot& snap = seed.snapshots[i];
    if (!IsSeededVolume(seed, snap.source)) {
      Fail(Item("snapshots", i, "source"), "unknown volume " + Quoted(snap.source));
    }
    const std::string prefix = snap.source + ".";
    const std::string member = Item("snapshots", i, "name");
    if (snap.name.compare(0, prefix.size(), prefix) != 0 ||
        !IsValidObjectName(snap.name.substr(prefix.size()))) {
      Fail(member, "must be the source's name, \".\" and a valid suffix, got " + Quoted(snap.name));
    }
    if (!names.insert(snap.name).second) Fail(member, "repeats " + Quoted(snap.name));
    CheckSerial(snap.serial, Item("snapshots", i, "serial"), serials);
  }
}

void ValidateHostIds(const std::vector<std::string>& ids, const std::string& member,
                     std::set<std::string>* all_ids) {
  for (size_t k = 0; k < ids.size(); ++k) {
    const std::string id_member = member + "[" + std::to_string(k) + "]";
    if (ids[k].empty()) Fail(id_member, "must not be empty");
    if (!all_ids->insert(ids[k]).second) Fail(id_member, Quoted(ids[k]) + " is used by another host");
  }
}

void ValidateHosts(const SimSeed& seed) {
  std::set<std::string> names;
  std::set<std::string> ids;
  for (size_t i = 0; i < seed.hosts.size(); ++i) {
    const SimSeed::Host& host = seed.hosts[i];
    const std::string member = Item("hosts", i, "name");
    if (!IsValidObjectName(host.name)) Fail(member, "is not a valid name: " + Quoted(host.name));
    if (!names.insert(host.name).second) Fail(member, "repeats " + Quoted(host.name));
    ValidateHostIds(host.iqn, Item("hosts", i, "iqn"), &ids);
    ValidateHostIds(host.wwn, Item("hosts", i, "wwn"), &ids);
  }
}

void ValidateConnections(const SimSeed& seed) {
  std::set<std::pair<std::string, std::string>> seen;
  for (size_t i = 0; i < seed.connections.size(); ++i) {
    const SimSeed::Connection& conn = seed.connections[i];
    bool host_known = false;
    for (const SimSeed::Host& host : seed.hosts) host_known = host_known || host.name == conn.host;
    if (!host_known) Fail(Item("connections", i, "host"), "unknown host " + Quoted(conn.host));
    if (!IsSeededVolume(seed, conn.volume)) {
      Fail(Item("connections", i, "volume"), "unknown volume " + Quoted(conn.volume));
    }
    if (!seen.insert({conn.host, conn.volume}).second) {
      Fail("connections[" + std::to_string(i) + "]", "repeats an earlier connection");
    }
  }
}

void CheckLatency(int milliseconds, const char* member) {
  if (milliseconds < 0 || milliseconds > kMaxLatencyMs) {
    Fail(member, "must be 0 to " + std::to_string(kMaxLatencyMs) + " milliseconds, got " +
                     std::to_string(milliseconds));
  }
}

}  // namespace

void ValidateLatency(const SimSeed::Latency& latency) {
  CheckLatency(latency.request_ms, "latency.request_ms");
  CheckLatency(latency.snapshot_ms, "latency.snapshot_ms");
}

void ValidateSeed(const SimSeed& seed) {
  ValidateArray(seed);
  ValidateUsers(seed);
  std::set<std::string> serials;
  ValidateVolumes(seed, &serials);
  ValidateSnapshots(seed, &serials);
  ValidateHosts(seed);
  ValidateConnections(seed);
  ValidateLatency(seed.latency);
}

}  // namespace kova_sim
