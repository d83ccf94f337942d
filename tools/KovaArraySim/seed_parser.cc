#include "tools/KovaArraySim/seed_parser.h"

#include <cpprest/json.h>

#include <initializer_list>
#include <stdexcept>

namespace kova_sim {
namespace {

using web::json::value;

[[noreturn]] void Fail(const std::string& member, const std::string& problem) {
  throw std::invalid_argument(member + ": " + problem);
}

std::string Join(const std::string& path, const std::string& key) {
  return path.empty() ? key : path + "." + key;
}

void RequireObject(const value& v, const std::string& path) {
  if (!v.is_object()) Fail(path.empty() ? "seed" : path, "must be a JSON object");
}

// Unknown members are refused so that a misspelt key is not silently ignored.
void CheckMembers(const value& object, const std::string& path, std::initializer_list<const char*> known) {
  for (const auto& member : object.as_object()) {
    bool found = false;
    for (const char* key : known) found = found || member.first == key;
    if (!found) Fail(Join(path, member.first), "unknown member");
  }
}

std::string ReadString(const value& object, const std::string& key, const std::string& path,
                       bool required) {
  if (!object.has_field(key)) {
    if (required) Fail(Join(path, key), "is missing");
    return std::string();
  }
  const value& member = object.at(key);
  if (!member.is_string()) Fail(Join(path, key), "must be a string");
  return member.as_string();
}

std::vector<std::string> ReadStringList(const value& object, const std::string& key,
                                        const std::string& path, bool required) {
  std::vector<std::string> result;
  if (!object.has_field(key)) {
    if (required) Fail(Join(path, key), "is missing");
    return result;
  }
  const value& list = object.at(key);
  if (!list.is_array()) Fail(Join(path, key), "must be a list of strings");
  for (size_t i = 0; i < list.size(); ++i) {
    if (!list.at(i).is_string()) Fail(Join(path, key) + "[" + std::to_string(i) + "]", "must be a string");
    result.push_back(list.at(i).as_string());
  }
  return result;
}

int ReadOptionalInt(const value& object, const std::string& key, const std::string& path, int absent) {
  if (!object.has_field(key)) return absent;
  const value& member = object.at(key);
  if (!member.is_number() || !member.as_number().is_int32()) Fail(Join(path, key), "must be an integer");
  return member.as_number().to_int32();
}

int64_t ReadInteger(const value& object, const std::string& key, const std::string& path) {
  if (!object.has_field(key)) Fail(Join(path, key), "is missing");
  const value& member = object.at(key);
  if (!member.is_number() || !member.as_number().is_int64()) {
    Fail(Join(path, key), "must be an integer");
  }
  return member.as_number().to_int64();
}

// Calls read(element, path) for each element of the optional list `key`.
template <typename Read>
void ForEachObject(const value& seed, const char* key, Read read) {
  if (!seed.has_field(key)) return;
  const value& list = seed.at(key);
  if (!list.is_array()) Fail(key, "must be a list");
  for (size_t i = 0; i < list.size(); ++i) {
    const std::string path = std::string(key) + "[" + std::to_string(i) + "]";
    RequireObject(list.at(i), path);
    read(list.at(i), path);
  }
}

void ReadArray(const value& seed, SimSeed* out) {
  if (!seed.has_field("array")) Fail("array", "is missing");
  const value& array = seed.at("array");
  RequireObject(array, "array");
  CheckMembers(array, "array", {"id", "name", "version"});
  out->array_id = ReadString(array, "id", "array", true);
  out->array_name = ReadString(array, "name", "array", true);
  if (array.has_field("version")) out->array_version = ReadString(array, "version", "array", true);
}

void ReadLatency(const value& seed, SimSeed* out) {
  if (!seed.has_field("latency")) return;
  const value& latency = seed.at("latency");
  RequireObject(latency, "latency");
  CheckMembers(latency, "latency", {"request_ms", "snapshot_ms"});
  out->latency.request_ms = ReadOptionalInt(latency, "request_ms", "latency", 0);
  out->latency.snapshot_ms = ReadOptionalInt(latency, "snapshot_ms", "latency", 0);
}

void ReadLists(const value& seed, SimSeed* out) {
  ForEachObject(seed, "users", [out](const value& v, const std::string& path) {
    CheckMembers(v, path, {"username", "password", "api_token"});
    out->users.push_back({ReadString(v, "username", path, true), ReadString(v, "password", path, true),
                          ReadString(v, "api_token", path, true)});
  });
  ForEachObject(seed, "volumes", [out](const value& v, const std::string& path) {
    CheckMembers(v, path, {"name", "size", "serial"});
    out->volumes.push_back({ReadString(v, "name", path, true), ReadInteger(v, "size", path),
                            ReadString(v, "serial", path, false)});
  });
  ForEachObject(seed, "snapshots", [out](const value& v, const std::string& path) {
    CheckMembers(v, path, {"name", "source", "serial"});
    out->snapshots.push_back({ReadString(v, "name", path, true), ReadString(v, "source", path, true),
                              ReadString(v, "serial", path, false)});
  });
  ForEachObject(seed, "hosts", [out](const value& v, const std::string& path) {
    CheckMembers(v, path, {"name", "iqn", "wwn"});
    out->hosts.push_back({ReadString(v, "name", path, true), ReadStringList(v, "iqn", path, false),
                          ReadStringList(v, "wwn", path, false)});
  });
  ForEachObject(seed, "connections", [out](const value& v, const std::string& path) {
    CheckMembers(v, path, {"host", "volume"});
    out->connections.push_back({ReadString(v, "host", path, true), ReadString(v, "volume", path, true)});
  });
}

}  // namespace

SimSeed ParseSeedJson(const std::string& text) {
  value seed;
  try {
    seed = value::parse(text);
  } catch (const web::json::json_exception& e) {
    throw std::invalid_argument(std::string("not valid JSON: ") + e.what());
  }
  RequireObject(seed, "");
  CheckMembers(seed, "",
               {"array", "versions", "users", "volumes", "snapshots", "hosts", "connections", "latency"});
  SimSeed out;
  ReadArray(seed, &out);
  out.versions = ReadStringList(seed, "versions", "", true);
  ReadLists(seed, &out);
  ReadLatency(seed, &out);
  return out;
}

}  // namespace kova_sim
