// The array's JSON REST interface under "/api/": version discovery, API
// tokens, sessions, the array, volumes, snapshots, hosts and connections.
//
// Order of checks for a request: malformed target 400; a path outside
// "/api/<v>/" 404; a version the array does not offer 450; an unknown
// resource 404; a method the resource does not take 405; no live session
// where one is needed 401; a bad body 400; then the operation. An unknown
// API token on POST "auth/session" answers 401 {"msg": "invalid api token"}.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "tools/KovaArraySim/array_state.h"
#include "tools/KovaArraySim/http_reply.h"
#include "tools/KovaArraySim/recorded_request.h"
#include "tools/KovaArraySim/session_table.h"
#include "tools/KovaArraySim/user_directory.h"

namespace kova_sim {

class RestApi {
 public:
  RestApi(ArrayState& state, UserDirectory& users, SessionTable& sessions);

  // Answers one request as the array would. Never throws: an internal
  // failure answers 500.
  HttpReply Handle(const RecordedRequest& request) const;

 private:
  struct Call {
    const RecordedRequest& request;
    std::vector<std::string> params;  // the '*' segments of the route
    std::map<std::string, std::string> query;
    SessionTable::Session session;
  };
  using Handler = HttpReply (RestApi::*)(const Call&) const;
  struct Route {
    const char* method;
    const char* pattern;  // segments after "/api/<v>/"; '*' matches any one
    bool needs_session;
    Handler handler;
  };
  static const std::vector<Route>& Routes();

  HttpReply Dispatch(const RecordedRequest& request) const;
  HttpReply DispatchVersioned(const RecordedRequest& request, const std::vector<std::string>& path,
                              const std::map<std::string, std::string>& query) const;

  HttpReply GenerateToken(const Call& call) const;
  HttpReply OpenSession(const Call& call) const;
  HttpReply CloseSession(const Call& call) const;
  HttpReply GetArray(const Call& call) const;
  HttpReply ListVolumes(const Call& call) const;
  HttpReply CreateSnapshots(const Call& call) const;
  HttpReply GetVolume(const Call& call) const;
  HttpReply CreateOrCopyVolume(const Call& call) const;
  HttpReply DeleteVolume(const Call& call) const;
  HttpReply ListHosts(const Call& call) const;
  HttpReply ListHostConnections(const Call& call) const;
  HttpReply ConnectHost(const Call& call) const;
  HttpReply DisconnectHost(const Call& call) const;

  ArrayState& state_;
  UserDirectory& users_;
  SessionTable& sessions_;
};

}  // namespace kova_sim
