// One misbehaviour injected into the emulator: the next matching requests are
// answered wrongly, late or not at all.
#pragma once

#include <string>
#include <utility>

namespace kova_sim {

struct Fault {
  enum class Kind {
    kStatus,           // answer `status` with `body` as application/json
    kRawBody,          // answer `status` with `body` as `content_type`
    kDelay,            // wait `delay_ms`, then answer normally
    kDrop,             // close the connection without answering; the request is not executed
    kTruncate,         // execute, send the answer with a Content-Length larger than its body, close
    kNoSessionCookie,  // answer normally but without "Set-Cookie"
    kExecuteThenDrop,  // execute, then close the connection without answering
    kLateAnswer,       // execute at once, answer after `delay_ms`
  };
  Kind kind = Kind::kStatus;
  std::string method;         // "" matches any method
  std::string path_contains;  // "" matches any target (path + query)
  int skip = 0;               // matching requests let through before the fault applies
  int times = 1;              // matches left; -1 forever
  int status = 500;
  std::string body;
  std::string content_type = "application/json";
  int delay_ms = 0;
};

// The kinds by their names in the control endpoints' JSON.
inline constexpr std::pair<const char*, Fault::Kind> kFaultKindNames[] = {
    {"status", Fault::Kind::kStatus},     {"raw_body", Fault::Kind::kRawBody},
    {"delay", Fault::Kind::kDelay},       {"drop", Fault::Kind::kDrop},
    {"truncate", Fault::Kind::kTruncate}, {"no_session_cookie", Fault::Kind::kNoSessionCookie},
    {"execute_then_drop", Fault::Kind::kExecuteThenDrop}, {"late_answer", Fault::Kind::kLateAnswer},
};

inline const char* FaultKindName(Fault::Kind kind) {
  for (const auto& entry : kFaultKindNames) {
    if (entry.second == kind) return entry.first;
  }
  return "unknown";
}

}  // namespace kova_sim
