// One HTTP request as the emulator received it.
#pragma once

#include <map>
#include <string>

namespace kova_sim {

struct RecordedRequest {
  std::string method;
  std::string target;  // path + query, as sent
  std::string body;    // raw bytes
  std::map<std::string, std::string> headers;  // lower-case names; repeats joined by ", "
};

}  // namespace kova_sim
