#include "tools/KovaArraySim/sim_json.h"

namespace kova_sim {

std::optional<web::json::value> ParseJsonObject(const std::string& body, bool allow_empty,
                                                std::string* problem) {
  if (body.empty() && allow_empty) return web::json::value::object();
  std::error_code error;
  web::json::value parsed = web::json::value::parse(body, error);
  if (error) {
    *problem = "Request body is not valid JSON.";
    return std::nullopt;
  }
  if (!parsed.is_object()) {
    *problem = "Request body must be a JSON object.";
    return std::nullopt;
  }
  return parsed;
}

bool ReadOptionalBool(const web::json::value& object, const std::string& key, bool* out) {
  if (!object.has_field(key)) return true;
  const web::json::value& member = object.at(key);
  if (!member.is_boolean()) return false;
  *out = member.as_bool();
  return true;
}

HttpReply JsonReply(int status, const web::json::value& body) {
  HttpReply reply;
  reply.status = status;
  reply.body = body.serialize();
  return reply;
}

HttpReply ToReply(const ApiResult& result) { return JsonReply(result.status, result.body); }

HttpReply ErrorReply(int status, const std::string& message) {
  return ToReply(ApiResult::Error(status, message));
}

}  // namespace kova_sim
