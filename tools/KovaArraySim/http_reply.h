// What the emulator does with one request: the answer to send, or how to
// misbehave instead.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace kova_sim {

struct HttpReply {
  enum class Action {
    kAnswer,    // send the answer
    kDrop,      // close the connection without a byte
    kTruncate,  // send the answer claiming more body than it has, then close
  };
  Action action = Action::kAnswer;
  int status = 200;
  std::string content_type = "application/json";
  std::string body;
  std::vector<std::pair<std::string, std::string>> headers;  // extra headers
  int snapshots_made = 0;  // for the latency model; not sent

  static HttpReply Drop() {
    HttpReply reply;
    reply.action = Action::kDrop;
    return reply;
  }
};

}  // namespace kova_sim
