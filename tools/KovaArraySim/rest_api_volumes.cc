// The volume, snapshot and host operations of RestApi.
#include "tools/KovaArraySim/rest_api.h"
#include "tools/KovaArraySim/sim_json.h"

namespace kova_sim {
namespace {

// Reads a non-empty list of strings; false for anything else.
bool ReadNameList(const web::json::value& object, const std::string& key, std::vector<std::string>* out) {
  if (!object.has_field(key) || !object.at(key).is_array() || object.at(key).size() == 0) return false;
  const web::json::value& list = object.at(key);
  for (size_t i = 0; i < list.size(); ++i) {
    if (!list.at(i).is_string()) return false;
    out->push_back(list.at(i).as_string());
  }
  return true;
}

}  // namespace

HttpReply RestApi::ListVolumes(const Call& call) const {
  auto snap = call.query.find("snap");
  if (snap == call.query.end() || snap->second == "false") return ToReply(state_.ListVolumes(false));
  if (snap->second == "true") return ToReply(state_.ListVolumes(true));
  return ErrorReply(400, "\"snap\" must be true or false.");
}

HttpReply RestApi::CreateSnapshots(const Call& call) const {
  std::string problem;
  std::optional<web::json::value> body = ParseJsonObject(call.request.body, false, &problem);
  if (!body) return ErrorReply(400, problem);
  bool snap = false;
  if (!ReadOptionalBool(*body, "snap", &snap) || !snap) {
    return ErrorReply(400, "\"snap\": true is required to create snapshots.");
  }
  std::vector<std::string> sources;
  if (!ReadNameList(*body, "source", &sources)) {
    return ErrorReply(400, "\"source\" must be a non-empty list of volume names.");
  }
  if (!body->has_field("suffix") || !body->at("suffix").is_string()) {
    return ErrorReply(400, "\"suffix\" must be a string.");
  }
  HttpReply reply = ToReply(state_.CreateSnapshots(sources, body->at("suffix").as_string()));
  if (reply.status == 200) reply.snapshots_made = static_cast<int>(sources.size());
  return reply;
}

HttpReply RestApi::GetVolume(const Call& call) const { return ToReply(state_.GetVolume(call.params[0])); }

HttpReply RestApi::CreateOrCopyVolume(const Call& call) const {
  std::string problem;
  std::optional<web::json::value> body = ParseJsonObject(call.request.body, false, &problem);
  if (!body) return ErrorReply(400, problem);
  if (body->has_field("source")) {
    bool overwrite = false;
    if (!body->at("source").is_string()) return ErrorReply(400, "\"source\" must be a string.");
    if (!ReadOptionalBool(*body, "overwrite", &overwrite)) {
      return ErrorReply(400, "\"overwrite\" must be true or false.");
    }
    return ToReply(state_.CopyVolume(call.params[0], body->at("source").as_string(), overwrite));
  }
  if (body->has_field("size")) {
    const web::json::value& size = body->at("size");
    if (!size.is_number() || !size.as_number().is_int64()) {
      return ErrorReply(400, "\"size\" must be an integer number of bytes.");
    }
    return ToReply(state_.CreateVolume(call.params[0], size.as_number().to_int64()));
  }
  return ErrorReply(400, "\"source\" or \"size\" is required.");
}

HttpReply RestApi::DeleteVolume(const Call& call) const {
  std::string problem;
  std::optional<web::json::value> body = ParseJsonObject(call.request.body, true, &problem);
  if (!body) return ErrorReply(400, problem);
  bool eradicate = false;
  if (!ReadOptionalBool(*body, "eradicate", &eradicate)) {
    return ErrorReply(400, "\"eradicate\" must be true or false.");
  }
  const std::string& name = call.params[0];
  return ToReply(eradicate ? state_.EradicateVolume(name) : state_.DestroyVolume(name));
}

HttpReply RestApi::ListHosts(const Call&) const { return ToReply(state_.ListHosts()); }

HttpReply RestApi::ListHostConnections(const Call& call) const {
  return ToReply(state_.ListHostConnections(call.params[0]));
}

HttpReply RestApi::ConnectHost(const Call& call) const {
  return ToReply(state_.Connect(call.params[0], call.params[1]));
}

HttpReply RestApi::DisconnectHost(const Call& call) const {
  return ToReply(state_.Disconnect(call.params[0], call.params[1]));
}

}  // namespace kova_sim
