#include "tools/KovaArraySim/request_line.h"

#include <cpprest/json.h>

#include "tools/KovaArraySim/sim_json.h"

namespace kova_sim {
namespace {

std::string MaskedBody(const std::string& body) {
  std::error_code error;
  web::json::value json = web::json::value::parse(body, error);
  if (error) return "<" + std::to_string(body.size()) + " bytes>";
  if (json.is_object()) {
    for (const char* secret : {"api_token", "password"}) {
      if (json.has_field(secret) && json.at(secret).is_string()) {
        json[secret] = web::json::value::string(std::string(json.at(secret).as_string().size(), '*'));
      }
    }
  }
  return json.serialize();
}

}  // namespace

std::string DescribeRequest(const RecordedRequest& request) {
  std::string line = request.method + " " + request.target;
  if (!request.body.empty()) line += " " + MaskedBody(request.body);
  return line;
}

}  // namespace kova_sim
