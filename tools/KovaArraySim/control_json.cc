#include "tools/KovaArraySim/control_json.h"

#include <limits>
#include <stdexcept>
#include <utility>

#include "tools/KovaArraySim/seed_validator.h"
#include "tools/KovaArraySim/sim_json.h"

namespace kova_sim {
namespace {

using web::json::value;

[[noreturn]] void Fail(const std::string& member, const std::string& problem) {
  throw std::invalid_argument("fault member \"" + member + "\" " + problem);
}

void ReadString(const value& json, const char* key, std::string* out) {
  if (!json.has_field(key)) return;
  if (!json.at(key).is_string()) Fail(key, "must be a string");
  *out = json.at(key).as_string();
}

void ReadInt(const value& json, const char* key, int* out) {
  if (!json.has_field(key)) return;
  const value& member = json.at(key);
  if (!member.is_number() || !member.as_number().is_int32()) Fail(key, "must be an integer");
  *out = member.as_number().to_int32();
}

Fault::Kind ReadKind(const value& json) {
  if (!json.has_field("kind") || !json.at("kind").is_string()) Fail("kind", "must be a string");
  const std::string kind = json.at("kind").as_string();
  for (const auto& entry : kFaultKindNames) {
    if (kind == entry.first) return entry.second;
  }
  Fail("kind", "has an unknown value \"" + kind + "\"");
}

}  // namespace

Fault FaultFromJson(const value& json) {
  if (!json.is_object()) throw std::invalid_argument("a fault must be a JSON object");
  static const char* const kKnown[] = {"kind",   "method", "path_contains", "skip",    "times",
                                       "status", "body",   "content_type",  "delay_ms"};
  for (const auto& member : json.as_object()) {
    bool known = false;
    for (const char* key : kKnown) known = known || member.first == key;
    if (!known) Fail(member.first, "is unknown");
  }
  Fault fault;
  fault.kind = ReadKind(json);
  ReadString(json, "method", &fault.method);
  ReadString(json, "path_contains", &fault.path_contains);
  ReadInt(json, "skip", &fault.skip);
  ReadInt(json, "times", &fault.times);
  ReadInt(json, "status", &fault.status);
  ReadString(json, "body", &fault.body);
  ReadString(json, "content_type", &fault.content_type);
  ReadInt(json, "delay_ms", &fault.delay_ms);
  return fault;
}

SimSeed::Latency LatencyFromJson(const value& json, const SimSeed::Latency& current) {
  if (!json.is_object()) throw std::invalid_argument("a latency must be a JSON object");
  for (const auto& member : json.as_object()) {
    if (member.first != "request_ms" && member.first != "snapshot_ms") {
      throw std::invalid_argument("latency member \"" + member.first + "\" is unknown");
    }
    if (!member.second.is_number() || !member.second.as_number().is_int32()) {
      throw std::invalid_argument("latency member \"" + member.first + "\" must be an integer");
    }
  }
  SimSeed::Latency latency = current;
  if (json.has_field("request_ms")) latency.request_ms = json.at("request_ms").as_number().to_int32();
  if (json.has_field("snapshot_ms")) latency.snapshot_ms = json.at("snapshot_ms").as_number().to_int32();
  ValidateLatency(latency);
  return latency;
}

value LatencyToJson(const SimSeed::Latency& latency) {
  value json = value::object();
  json["request_ms"] = value::number(latency.request_ms);
  json["snapshot_ms"] = value::number(latency.snapshot_ms);
  return json;
}

std::vector<std::string> VersionsFromJson(const value& json) {
  for (const auto& member : json.as_object()) {
    if (member.first != "versions") throw std::invalid_argument("unknown member \"" + member.first + "\"");
  }
  if (!json.has_field("versions") || !json.at("versions").is_array()) {
    throw std::invalid_argument("\"versions\" must be a list of strings");
  }
  std::vector<std::string> versions;
  for (const value& version : json.at("versions").as_array()) {
    if (!version.is_string()) throw std::invalid_argument("\"versions\" must be a list of strings");
    versions.push_back(version.as_string());
  }
  return versions;
}

value RecordedRequestToJson(const RecordedRequest& request) {
  value json = value::object();
  json["method"] = value::string(request.method);
  json["target"] = value::string(request.target);
  json["body"] = value::string(request.body);
  value headers = value::object();
  for (const auto& header : request.headers) headers[header.first] = value::string(header.second);
  json["headers"] = headers;
  return json;
}

}  // namespace kova_sim
