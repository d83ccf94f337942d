#include "tests/sim/sim_https_client.h"

#include <cctype>

#include "tools/KovaArraySim/sim_seed.h"

namespace {

web::http::client::http_client_config TestConfig() {
  web::http::client::http_client_config config;
  config.set_validate_certificates(false);
  config.set_timeout(std::chrono::seconds(10));
  return config;
}

}  // namespace

std::string SimResponse::Header(const std::string& lower_case_name) const {
  auto it = headers.find(lower_case_name);
  return it == headers.end() ? std::string() : it->second;
}

std::string SimResponse::Msg() const {
  std::error_code error;
  web::json::value json = web::json::value::parse(body, error);
  if (error || !json.is_object() || !json.has_field("msg") || !json.at("msg").is_string()) return "";
  return json.at("msg").as_string();
}

SimHttpsClient::SimHttpsClient(const std::string& base_url) : client_(base_url, TestConfig()) {}

SimResponse SimHttpsClient::Send(const std::string& method, const std::string& target, const std::string& body,
                                 const std::map<std::string, std::string>& headers) {
  web::http::http_request request(method);
  request.set_request_uri(target);
  if (!body.empty()) {
    // The byte-vector form: the string form trips UBSan's vptr check inside
    // the HTTP library's stream headers.
    request.set_body(std::vector<unsigned char>(body.begin(), body.end()));
    request.headers().set_content_type("application/json");
  }
  if (!cookie_.empty() && headers.count("cookie") == 0) request.headers().add("cookie", cookie_);
  for (const auto& header : headers) request.headers().add(header.first, header.second);
  web::http::http_response response = client_.request(request).get();
  SimResponse result;
  result.status = response.status_code();
  for (const auto& header : response.headers()) {
    std::string name = header.first;
    for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    result.headers[name] = header.second;
  }
  result.body = response.extract_string(true).get();
  return result;
}

SimResponse SimHttpsClient::Login(const std::string& api_token, const std::string& version) {
  web::json::value body = web::json::value::object();
  body["api_token"] = web::json::value::string(api_token);
  SimResponse response = Send("POST", "/api/" + version + "/auth/session", body.serialize());
  if (response.status == 200) cookie_ = response.Header("set-cookie");
  return response;
}

std::string DefaultToken() { return kova_sim::SimSeed::Default().users.at(0).api_token; }
