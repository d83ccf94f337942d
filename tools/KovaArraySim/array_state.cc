#include "tools/KovaArraySim/array_state.h"

#include <chrono>
#include <set>
#include <stdexcept>

#include "tools/KovaArraySim/object_names.h"
#include "tools/KovaArraySim/utc_time.h"

namespace kova_sim {
namespace {

using web::json::value;

const char kNoVolume[] = "Volume does not exist.";
const char kVolumeExists[] = "Volume already exists.";
const char kNoHost[] = "Host does not exist.";

value StringList(const std::vector<std::string>& items) {
  value list = value::array(items.size());
  for (size_t i = 0; i < items.size(); ++i) list[i] = value::string(items[i]);
  return list;
}

value RenderVolume(const StoredVolume& v) {
  value object = value::object();
  object["name"] = value::string(v.name);
  object["serial"] = value::string(v.serial);
  object["size"] = value::number(v.size);
  object["source"] = v.source.empty() ? value::null() : value::string(v.source);
  object["created"] = value::string(v.created);
  return object;
}

value RenderConnection(const StoredConnection& c) {
  value object = value::object();
  object["name"] = value::string(c.host);
  object["vol"] = value::string(c.volume);
  object["lun"] = value::number(c.lun);
  return object;
}

value NameOnly(const std::string& name) {
  value object = value::object();
  object["name"] = value::string(name);
  return object;
}

std::string Now() { return UtcTimestamp(std::chrono::system_clock::now()); }

}  // namespace

ArrayState::ArrayState(const SimSeed& seed)
    : array_id_(seed.array_id),
      array_name_(seed.array_name),
      array_version_(seed.array_version),
      versions_(seed.versions),
      volumes_(SerialPrefix(seed.array_id)) {
  LoadSeed(seed);
}

void ArrayState::LoadSeed(const SimSeed& seed) {
  const std::string created = Now();
  for (const SimSeed::Volume& v : seed.volumes) {
    volumes_.Add(StoredVolume{v.name, v.serial, "", v.size, created, false, false, 0});
  }
  for (const SimSeed::Snapshot& s : seed.snapshots) {
    const int64_t size = volumes_.Find(s.source)->size;
    volumes_.Add(StoredVolume{s.name, s.serial, s.source, size, created, true, false, 0});
  }
  for (const SimSeed::Host& h : seed.hosts) hosts_.AddHost(StoredHost{h.name, h.iqn, h.wwn});
  for (const SimSeed::Connection& c : seed.connections) hosts_.Connect(c.host, c.volume);
}

void ArrayState::Reset(const SimSeed& seed) {
  std::lock_guard<std::mutex> lock(mutex_);
  array_id_ = seed.array_id;
  array_name_ = seed.array_name;
  array_version_ = seed.array_version;
  versions_ = seed.versions;
  volumes_ = VolumeStore(SerialPrefix(seed.array_id));
  hosts_ = HostStore();
  LoadSeed(seed);
}

std::string ArrayState::ArrayId() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return array_id_;
}

bool ArrayState::OffersVersion(const std::string& version) const {
  std::lock_guard<std::mutex> lock(mutex_);
  for (const std::string& v : versions_) {
    if (v == version) return true;
  }
  return false;
}

void ArrayState::SetVersions(std::vector<std::string> versions) {
  if (versions.empty()) throw std::invalid_argument("versions: must list at least one REST API version");
  for (const std::string& v : versions) {
    if (v.empty()) throw std::invalid_argument("versions: a version must not be empty");
  }
  std::lock_guard<std::mutex> lock(mutex_);
  versions_ = std::move(versions);
}

ApiResult ArrayState::Versions() const {
  std::lock_guard<std::mutex> lock(mutex_);
  value body = value::object();
  body["version"] = StringList(versions_);
  return ApiResult::Ok(body);
}

ApiResult ArrayState::ArrayInfo() const {
  std::lock_guard<std::mutex> lock(mutex_);
  value body = value::object();
  body["id"] = value::string(array_id_);
  body["array_name"] = value::string(array_name_);
  body["version"] = value::string(array_version_);
  return ApiResult::Ok(body);
}

const StoredVolume* ArrayState::FindLive(const std::string& name) const {
  const StoredVolume* v = volumes_.Find(name);
  return v != nullptr && !v->destroyed ? v : nullptr;
}

ApiResult ArrayState::ListVolumes(bool snapshots) const {
  std::lock_guard<std::mutex> lock(mutex_);
  return ApiResult::Ok(RenderVolumes(snapshots));
}

ApiResult ArrayState::GetVolume(const std::string& name) const {
  std::lock_guard<std::mutex> lock(mutex_);
  const StoredVolume* v = FindLive(name);
  if (v == nullptr) return ApiResult::Error(400, kNoVolume, name);
  return ApiResult::Ok(RenderVolume(*v));
}

ApiResult ArrayState::CreateSnapshots(const std::vector<std::string>& sources, const std::string& suffix) {
  if (!IsValidObjectName(suffix)) return ApiResult::Error(400, "Invalid snapshot suffix.", suffix);
  std::lock_guard<std::mutex> lock(mutex_);
  std::set<std::string> names;
  for (const std::string& source : sources) {
    const StoredVolume* v = FindLive(source);
    if (v == nullptr) return ApiResult::Error(400, kNoVolume, source);
    if (v->snapshot) return ApiResult::Error(400, "Snapshots can only be made of volumes.", source);
    const std::string name = source + "." + suffix;
    if (volumes_.Find(name) != nullptr || !names.insert(name).second) {
      return ApiResult::Error(400, "Snapshot already exists.", name);
    }
  }
  const std::string created = Now();
  value result = value::array(sources.size());
  for (size_t i = 0; i < sources.size(); ++i) {
    const int64_t size = volumes_.Find(sources[i])->size;
    result[i] = RenderVolume(volumes_.Add(
        StoredVolume{sources[i] + "." + suffix, "", sources[i], size, created, true, false, 0}));
  }
  return ApiResult::Ok(result);
}

ApiResult ArrayState::CopyVolume(const std::string& name, const std::string& source, bool overwrite) {
  if (!IsValidObjectName(name)) return ApiResult::Error(400, "Invalid volume name.", name);
  std::lock_guard<std::mutex> lock(mutex_);
  const StoredVolume* from = FindLive(source);
  if (from == nullptr) return ApiResult::Error(400, kNoVolume, source);
  StoredVolume* target = volumes_.Find(name);
  if (target == nullptr) {
    return ApiResult::Ok(
        RenderVolume(volumes_.Add(StoredVolume{name, "", source, from->size, Now(), false, false, 0})));
  }
  if (!overwrite) return ApiResult::Error(400, kVolumeExists, name);
  if (target->destroyed) return ApiResult::Error(400, "Volume has been destroyed.", name);
  if (target->snapshot) return ApiResult::Error(400, "Snapshots cannot be overwritten.", name);
  target->size = from->size;
  target->source = source;
  return ApiResult::Ok(RenderVolume(*target));
}

ApiResult ArrayState::CreateVolume(const std::string& name, int64_t size) {
  if (!IsValidObjectName(name)) return ApiResult::Error(400, "Invalid volume name.", name);
  if (size <= 0) return ApiResult::Error(400, "Volume size must be positive.", name);
  std::lock_guard<std::mutex> lock(mutex_);
  if (volumes_.Find(name) != nullptr) return ApiResult::Error(400, kVolumeExists, name);
  return ApiResult::Ok(RenderVolume(volumes_.Add(StoredVolume{name, "", "", size, Now(), false, false, 0})));
}

ApiResult ArrayState::DestroyVolume(const std::string& name) {
  std::lock_guard<std::mutex> lock(mutex_);
  StoredVolume* v = volumes_.Find(name);
  if (v == nullptr) return ApiResult::Error(400, kNoVolume, name);
  if (v->destroyed) return ApiResult::Error(400, "Volume has already been destroyed.", name);
  if (!v->snapshot && hosts_.HasConnections(name)) {
    return ApiResult::Error(400, "Volume has host connections.", name);
  }
  v->destroyed = true;
  return ApiResult::Ok(NameOnly(name));
}

ApiResult ArrayState::EradicateVolume(const std::string& name) {
  std::lock_guard<std::mutex> lock(mutex_);
  const StoredVolume* v = volumes_.Find(name);
  if (v == nullptr) return ApiResult::Error(400, kNoVolume, name);
  if (!v->destroyed) {
    return ApiResult::Error(400, "Volume must be destroyed before it can be eradicated.", name);
  }
  volumes_.Remove(name);
  return ApiResult::Ok(NameOnly(name));
}

ApiResult ArrayState::ListHosts() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return ApiResult::Ok(RenderHosts());
}

ApiResult ArrayState::ListHostConnections(const std::string& host) const {
  std::lock_guard<std::mutex> lock(mutex_);
  if (hosts_.FindHost(host) == nullptr) return ApiResult::Error(400, kNoHost, host);
  const std::vector<StoredConnection> connections = hosts_.Connections(host);
  value list = value::array(connections.size());
  for (size_t i = 0; i < connections.size(); ++i) list[i] = RenderConnection(connections[i]);
  return ApiResult::Ok(list);
}

ApiResult ArrayState::Connect(const std::string& host, const std::string& volume) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (hosts_.FindHost(host) == nullptr) return ApiResult::Error(400, kNoHost, host);
  const StoredVolume* v = FindLive(volume);
  if (v == nullptr) return ApiResult::Error(400, kNoVolume, volume);
  if (v->snapshot) return ApiResult::Error(400, "Snapshots cannot be connected to hosts.", volume);
  if (hosts_.IsConnected(host, volume)) return ApiResult::Error(400, "Connection already exists.", volume);
  return ApiResult::Ok(RenderConnection(hosts_.Connect(host, volume)));
}

ApiResult ArrayState::Disconnect(const std::string& host, const std::string& volume) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (hosts_.FindHost(host) == nullptr) return ApiResult::Error(400, kNoHost, host);
  if (!hosts_.IsConnected(host, volume)) return ApiResult::Error(400, "Connection does not exist.", volume);
  hosts_.Disconnect(host, volume);
  value body = value::object();
  body["name"] = value::string(host);
  body["vol"] = value::string(volume);
  return ApiResult::Ok(body);
}

void ArrayState::AddHost(const SimSeed::Host& host) {
  if (!IsValidObjectName(host.name)) throw std::invalid_argument("host name is not valid: " + host.name);
  std::lock_guard<std::mutex> lock(mutex_);
  if (hosts_.FindHost(host.name) != nullptr) throw std::invalid_argument("host exists: " + host.name);
  for (const auto* ids : {&host.iqn, &host.wwn}) {
    for (const std::string& id : *ids) {
      if (id.empty()) throw std::invalid_argument("host identifier must not be empty");
      const StoredHost* owner = hosts_.HostWithIdentifier(id);
      if (owner != nullptr) throw std::invalid_argument(id + " is used by host " + owner->name);
    }
  }
  hosts_.AddHost(StoredHost{host.name, host.iqn, host.wwn});
}

value ArrayState::RenderVolumes(bool snapshots) const {
  const std::vector<const StoredVolume*> live = volumes_.Live(snapshots);
  value list = value::array(live.size());
  for (size_t i = 0; i < live.size(); ++i) list[i] = RenderVolume(*live[i]);
  return list;
}

value ArrayState::RenderHosts() const {
  const std::vector<StoredHost>& hosts = hosts_.Hosts();
  value list = value::array(hosts.size());
  for (size_t i = 0; i < hosts.size(); ++i) {
    value host = value::object();
    host["name"] = value::string(hosts[i].name);
    host["iqn"] = StringList(hosts[i].iqn);
    host["wwn"] = StringList(hosts[i].wwn);
    list[i] = host;
  }
  return list;
}

value ArrayState::RenderConnections() const {
  const std::vector<StoredConnection> connections = hosts_.Connections();
  value list = value::array(connections.size());
  for (size_t i = 0; i < connections.size(); ++i) {
    value object = value::object();
    object["host"] = value::string(connections[i].host);
    object["volume"] = value::string(connections[i].volume);
    object["lun"] = value::number(connections[i].lun);
    list[i] = object;
  }
  return list;
}

value ArrayState::Describe() const {
  std::lock_guard<std::mutex> lock(mutex_);
  value state = value::object();
  value array = value::object();
  array["id"] = value::string(array_id_);
  array["name"] = value::string(array_name_);
  state["array"] = array;
  state["versions"] = StringList(versions_);
  state["volumes"] = RenderVolumes(false);
  state["snapshots"] = RenderVolumes(true);
  std::vector<std::string> destroyed;
  for (const StoredVolume* v : volumes_.Destroyed()) destroyed.push_back(v->name);
  state["destroyed"] = StringList(destroyed);
  state["hosts"] = RenderHosts();
  state["connections"] = RenderConnections();
  return state;
}

}  // namespace kova_sim
