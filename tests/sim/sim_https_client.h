// A plain HTTPS client for the emulator's tests: the HTTP library without
// certificate validation, one client (and so one kept-alive connection)
// reused across requests, and an optional session cookie sent with each.
#pragma once

#include <cpprest/http_client.h>
#include <cpprest/json.h>

#include <map>
#include <string>

struct SimResponse {
  int status = 0;
  std::string body;
  std::map<std::string, std::string> headers;  // lower-case names

  web::json::value Json() const { return web::json::value::parse(body); }
  std::string Header(const std::string& lower_case_name) const;
  std::string Msg() const;  // the "msg" member of a JSON object body, or ""
};

class SimHttpsClient {
 public:
  explicit SimHttpsClient(const std::string& base_url);

  // Throws web::http::http_exception when no answer arrives.
  SimResponse Send(const std::string& method, const std::string& target, const std::string& body = "",
                   const std::map<std::string, std::string>& headers = {});
  // Opens a session with the token and keeps its cookie for later requests.
  SimResponse Login(const std::string& api_token, const std::string& version = "1.1");

  void SetCookie(const std::string& cookie) { cookie_ = cookie; }
  const std::string& Cookie() const { return cookie_; }

 private:
  web::http::client::http_client client_;
  std::string cookie_;
};

// The API token of the default seed's user.
std::string DefaultToken();
