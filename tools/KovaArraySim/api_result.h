// The array's answer to one REST operation, before it becomes HTTP.
#pragma once

#include <cpprest/json.h>

#include <string>

namespace kova_sim {

struct ApiResult {
  int status = 200;
  web::json::value body;

  static ApiResult Ok(web::json::value value) { return ApiResult{200, std::move(value)}; }
  // An error answer {"msg": message}, with "ctx" naming the object when given.
  static ApiResult Error(int status, const std::string& message, const std::string& context = "") {
    web::json::value body = web::json::value::object();
    body["msg"] = web::json::value::string(message);
    if (!context.empty()) body["ctx"] = web::json::value::string(context);
    return ApiResult{status, std::move(body)};
  }
};

}  // namespace kova_sim
