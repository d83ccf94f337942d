#include "tools/KovaArraySim/rest_api.h"

#include <exception>

#include "tools/KovaArraySim/request_target.h"
#include "tools/KovaArraySim/sim_json.h"

namespace kova_sim {
namespace {

std::vector<std::string> SplitPattern(const char* pattern) {
  std::vector<std::string> parts;
  std::string part;
  for (const char* p = pattern; *p != '\0'; ++p) {
    if (*p == '/') {
      parts.push_back(part);
      part.clear();
    } else {
      part += *p;
    }
  }
  parts.push_back(part);
  return parts;
}

bool MatchPattern(const char* pattern, const std::vector<std::string>& path,
                  std::vector<std::string>* params) {
  const std::vector<std::string> parts = SplitPattern(pattern);
  if (parts.size() != path.size()) return false;
  params->clear();
  for (size_t i = 0; i < parts.size(); ++i) {
    if (parts[i] == "*") {
      params->push_back(path[i]);
    } else if (parts[i] != path[i]) {
      return false;
    }
  }
  return true;
}

std::string HeaderOf(const RecordedRequest& request, const std::string& name) {
  auto it = request.headers.find(name);
  return it == request.headers.end() ? std::string() : it->second;
}

// Reads a member that must be a string; false when absent or of another type.
bool ReadString(const web::json::value& object, const std::string& key, std::string* out) {
  if (!object.has_field(key) || !object.at(key).is_string()) return false;
  *out = object.at(key).as_string();
  return true;
}

}  // namespace

RestApi::RestApi(ArrayState& state, UserDirectory& users, SessionTable& sessions)
    : state_(state), users_(users), sessions_(sessions) {}

const std::vector<RestApi::Route>& RestApi::Routes() {
  static const std::vector<Route> routes = {
      {"POST", "auth/apitoken", false, &RestApi::GenerateToken},
      {"POST", "auth/session", false, &RestApi::OpenSession},
      {"DELETE", "auth/session", true, &RestApi::CloseSession},
      {"GET", "array", true, &RestApi::GetArray},
      {"GET", "volume", true, &RestApi::ListVolumes},
      {"POST", "volume", true, &RestApi::CreateSnapshots},
      {"GET", "volume/*", true, &RestApi::GetVolume},
      {"POST", "volume/*", true, &RestApi::CreateOrCopyVolume},
      {"DELETE", "volume/*", true, &RestApi::DeleteVolume},
      {"GET", "host", true, &RestApi::ListHosts},
      {"GET", "host/*/volume", true, &RestApi::ListHostConnections},
      {"POST", "host/*/volume/*", true, &RestApi::ConnectHost},
      {"DELETE", "host/*/volume/*", true, &RestApi::DisconnectHost},
  };
  return routes;
}

HttpReply RestApi::Handle(const RecordedRequest& request) const {
  try {
    return Dispatch(request);
  } catch (const std::exception& e) {
    return ErrorReply(500, std::string("Internal error: ") + e.what());
  } catch (...) {
    return ErrorReply(500, "Internal error.");
  }
}

HttpReply RestApi::Dispatch(const RecordedRequest& request) const {
  RequestTarget target;
  if (!ParseRequestTarget(request.target, &target)) return ErrorReply(400, "Malformed request target.");
  const std::vector<std::string>& segments = target.segments;
  if (segments.size() < 2 || segments[0] != "api") return ErrorReply(404, "Unknown REST resource.");
  if (segments.size() == 2 && segments[1] == "api_version") {
    if (request.method != "GET") return ErrorReply(405, "Method not allowed.");
    return ToReply(state_.Versions());
  }
  if (!state_.OffersVersion(segments[1])) return ErrorReply(450, "unsupported REST API version");
  return DispatchVersioned(request, std::vector<std::string>(segments.begin() + 2, segments.end()),
                           target.query);
}

HttpReply RestApi::DispatchVersioned(const RecordedRequest& request, const std::vector<std::string>& path,
                                     const std::map<std::string, std::string>& query) const {
  std::vector<std::string> params;
  std::string allowed;
  for (const Route& route : Routes()) {
    if (!MatchPattern(route.pattern, path, &params)) continue;
    if (request.method != route.method) {
      allowed += (allowed.empty() ? "" : ", ") + std::string(route.method);
      continue;
    }
    Call call{request, params, query, {}};
    if (route.needs_session) {
      std::optional<SessionTable::Session> session = sessions_.Find(HeaderOf(request, "cookie"));
      if (!session) return ErrorReply(401, "Session expired or invalid.");
      call.session = *session;
    }
    return (this->*route.handler)(call);
  }
  if (allowed.empty()) return ErrorReply(404, "Unknown REST resource.");
  HttpReply reply = ErrorReply(405, "Method not allowed.");
  reply.headers.emplace_back("Allow", allowed);
  return reply;
}

HttpReply RestApi::GenerateToken(const Call& call) const {
  std::string problem;
  std::optional<web::json::value> body = ParseJsonObject(call.request.body, false, &problem);
  if (!body) return ErrorReply(400, problem);
  std::string username;
  std::string password;
  if (!ReadString(*body, "username", &username) || !ReadString(*body, "password", &password)) {
    return ErrorReply(400, "\"username\" and \"password\" must be strings.");
  }
  std::optional<std::string> token = users_.TokenFor(username, password);
  if (!token) return ErrorReply(400, "invalid credentials");
  web::json::value answer = web::json::value::object();
  answer["api_token"] = web::json::value::string(*token);
  return JsonReply(200, answer);
}

HttpReply RestApi::OpenSession(const Call& call) const {
  std::string problem;
  std::optional<web::json::value> body = ParseJsonObject(call.request.body, false, &problem);
  if (!body) return ErrorReply(400, problem);
  std::string token;
  if (!ReadString(*body, "api_token", &token)) return ErrorReply(400, "\"api_token\" must be a string.");
  std::optional<std::string> user = users_.UserForToken(token);
  if (!user) return ErrorReply(401, "invalid api token");
  const std::string id = sessions_.Open(*user);
  web::json::value answer = web::json::value::object();
  answer["username"] = web::json::value::string(*user);
  HttpReply reply = JsonReply(200, answer);
  reply.headers.emplace_back("Set-Cookie", "session=" + id + "; Path=/; HttpOnly");
  return reply;
}

HttpReply RestApi::CloseSession(const Call& call) const {
  sessions_.Close(call.session.id);
  web::json::value answer = web::json::value::object();
  answer["username"] = web::json::value::string(call.session.username);
  return JsonReply(200, answer);
}

HttpReply RestApi::GetArray(const Call&) const { return ToReply(state_.ArrayInfo()); }

}  // namespace kova_sim
