// The path segments and query of a request target.
#pragma once

#include <map>
#include <string>
#include <vector>

namespace kova_sim {

struct RequestTarget {
  std::vector<std::string> segments;         // %-decoded; "/a/b" gives {"a", "b"}
  std::map<std::string, std::string> query;  // %-decoded; the last of repeated keys wins
};

// False for a target that does not begin with '/' or holds a malformed
// %-escape or an escaped NUL.
bool ParseRequestTarget(const std::string& target, RequestTarget* out);

}  // namespace kova_sim
