#include "tests/support/remote_array_sim_json.h"

#include "tests/support/wide_text.h"

namespace remote_sim {
namespace {

using web::json::value;

value Text(const std::string& utf8) { return value::string(Wide(utf8)); }

value TextList(const std::vector<std::string>& list) {
  value json = value::array(list.size());
  for (size_t i = 0; i < list.size(); ++i) json[i] = Text(list[i]);
  return json;
}

template <typename T, typename Render>
value ListOf(const std::vector<T>& items, Render render) {
  value json = value::array(items.size());
  for (size_t i = 0; i < items.size(); ++i) json[i] = render(items[i]);
  return json;
}

value VolumeJson(const std::string& name, int64_t size, const std::string& serial) {
  value json = value::object();
  json[U("name")] = Text(name);
  json[U("size")] = value::number(size);
  if (!serial.empty()) json[U("serial")] = Text(serial);
  return json;
}

value SeedLists(const kova_sim::SimSeed& seed, value json) {
  json[U("users")] = ListOf(seed.users, [](const kova_sim::SimSeed::User& u) {
    value user = value::object();
    user[U("username")] = Text(u.username);
    user[U("password")] = Text(u.password);
    user[U("api_token")] = Text(u.api_token);
    return user;
  });
  json[U("volumes")] = ListOf(seed.volumes, [](const kova_sim::SimSeed::Volume& v) {
    return VolumeJson(v.name, v.size, v.serial);
  });
  json[U("snapshots")] = ListOf(seed.snapshots, [](const kova_sim::SimSeed::Snapshot& s) {
    value snapshot = value::object();
    snapshot[U("name")] = Text(s.name);
    snapshot[U("source")] = Text(s.source);
    if (!s.serial.empty()) snapshot[U("serial")] = Text(s.serial);
    return snapshot;
  });
  json[U("hosts")] = ListOf(seed.hosts, [](const kova_sim::SimSeed::Host& h) {
    value host = value::object();
    host[U("name")] = Text(h.name);
    host[U("iqn")] = TextList(h.iqn);
    host[U("wwn")] = TextList(h.wwn);
    return host;
  });
  json[U("connections")] = ListOf(seed.connections, [](const kova_sim::SimSeed::Connection& c) {
    value connection = value::object();
    connection[U("host")] = Text(c.host);
    connection[U("volume")] = Text(c.volume);
    return connection;
  });
  return json;
}

}  // namespace

value SeedToJson(const kova_sim::SimSeed& seed) {
  value array = value::object();
  array[U("id")] = Text(seed.array_id);
  array[U("name")] = Text(seed.array_name);
  array[U("version")] = Text(seed.array_version);
  value json = value::object();
  json[U("array")] = array;
  json[U("versions")] = TextList(seed.versions);
  value latency = value::object();
  latency[U("request_ms")] = value::number(seed.latency.request_ms);
  latency[U("snapshot_ms")] = value::number(seed.latency.snapshot_ms);
  json[U("latency")] = latency;
  return SeedLists(seed, json);
}

value FaultToJson(const kova_sim::Fault& fault) {
  value json = value::object();
  json[U("kind")] = Text(kova_sim::FaultKindName(fault.kind));
  json[U("method")] = Text(fault.method);
  json[U("path_contains")] = Text(fault.path_contains);
  json[U("skip")] = value::number(fault.skip);
  json[U("times")] = value::number(fault.times);
  json[U("status")] = value::number(fault.status);
  json[U("body")] = Text(fault.body);
  json[U("content_type")] = Text(fault.content_type);
  json[U("delay_ms")] = value::number(fault.delay_ms);
  return json;
}

std::vector<kova_sim::RecordedRequest> RequestsFromJson(const value& list) {
  std::vector<kova_sim::RecordedRequest> requests;
  for (const value& item : list.as_array()) {
    kova_sim::RecordedRequest request;
    request.method = Narrow(item.at(U("method")).as_string());
    request.target = Narrow(item.at(U("target")).as_string());
    request.body = Narrow(item.at(U("body")).as_string());
    for (const auto& header : item.at(U("headers")).as_object()) {
      request.headers[Narrow(header.first)] = Narrow(header.second.as_string());
    }
    requests.push_back(std::move(request));
  }
  return requests;
}

}  // namespace remote_sim
