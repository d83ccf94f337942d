// KovaREST: the client side of one array's JSON REST interface.
//
// Every request builds its own HTTP client (certificate validation off, the
// configured time-out) and a new connection. RequestSync adds session
// management: it opens a session with the API token when there is none and
// renews it once when the array answers 401.
//
// One object must be used by one thread at a time; the library takes no
// lock of its own. Array failures are thrown as
// KovaStorage::KovaRestException or std::invalid_argument; transport
// failures are reported by result where stated.
#pragma once

#include <cpprest/json.h>
#include <pplx/pplxtasks.h>

#include <cstdint>
#include <string>
#include <vector>

#include "library/rest/kova_rest_exception.h"
#include "platform/hresult.h"

class KovaREST {
 public:
  enum Method { kGet = 0, kPost = 1, kPut = 2, kDelete = 3 };

  // Reads the time-out with GetRESTTimeOutFromRegistry.
  KovaREST();
  explicit KovaREST(int32_t timeout_seconds);

  void Configure(const utility::string_t& base_uri, const utility::string_t& api_token,
                 const utility::string_t& rest_version);

  // Sends one request. The task completes once |status|, |response| and
  // |cookie| are written; transport failures surface as
  // web::http::http_exception when it is waited on. |status| is 408 until a
  // response arrives. A body is sent only with POST and DELETE.
  pplx::task<void> Request(const utility::string_t& base_uri, const utility::string_t& path,
                           int method, const web::json::value* body, uint16_t& status,
                           web::json::value& response, utility::string_t& cookie) const;
  // Request and wait: false on a transport failure (an answer broken off
  // before its end is one), true once answered.
  bool RequestAndWait(const utility::string_t& base_uri, const utility::string_t& path,
                      int method, const web::json::value* body, uint16_t& status,
                      web::json::value& response, utility::string_t& cookie) const;
  // Request on this object's array and session (see the class comment). A
  // GET that gets no answer (refused, reset or dropped connection, time-out,
  // TLS failure, an answer the HTTP library cannot read) is sent once more at
  // once, at most once per call; POST and DELETE are never sent twice, and
  // no status is a reason to resend but 401's session renewal.
  void RequestSync(const utility::string_t& path, int method, const web::json::value* body,
                   uint16_t& status, web::json::value& response);

  // "RestTimeout" in seconds; 10 when it is absent, unreadable, or not a
  // positive number (the last with a warning).
  static int32_t GetRESTTimeOutFromRegistry();

  // Version negotiation and API tokens.
  // The array's versions as one comma-separated list ("1.0,1.1,1.2").
  utility::string_t GetRESTVersionFromArray(const utility::string_t& url) const;
  HRESULT GenerateAPIToken(const utility::string_t& base_uri, const utility::string_t& rest_version,
                           const utility::string_t& user_name, const utility::string_t& password,
                           utility::string_t& api_token) const;
  bool VerifyAPIToken(const utility::string_t& base_uri, const utility::string_t& rest_version,
                      const utility::string_t& api_token) const;

  // JSON lookups. A value that is not an object has no members: lookups in
  // it find nothing. A member holding null is logged and counts as absent.
  static bool JsonKeyHasValue(const web::json::value& object, const utility::string_t& key,
                              const utility::string_t& expected);
  static int GetJsonValueString(const web::json::value& object, const utility::string_t& key,
                                std::string& value);
  static int GetJsonValueWString(const web::json::value& object, const utility::string_t& key,
                                 utility::string_t& value);
  static int GetJsonMember(const web::json::value& object, const utility::string_t& key,
                           web::json::value& member);
  static bool JsonArrayToStrings(const web::json::value& value, std::vector<std::string>& strings);
  // Compact serialisation with every double quote removed.
  static utility::string_t JsonValueText(const web::json::value& value);
  static utility::string_t ReplaceAll(utility::string_t text, const utility::string_t& pattern,
                                      const utility::string_t& replacement);

  // Copy of |value| with top-level string members "api_token" and
  // "password" replaced by "*" of the same length, serialised compactly.
  static utility::string_t MaskSecrets(const web::json::value& value);

  const utility::string_t& SessionCookie() const { return cookie_; }
  int32_t TimeoutSeconds() const { return timeout_seconds_; }

 private:
  void RenewSession();
  // The caller's request of RequestSync; spends |retry_left| on a GET that
  // got no answer. False when no answer came.
  bool SendCallersRequest(const utility::string_t& path, int method, const web::json::value* body,
                          uint16_t& status, web::json::value& response, bool& retry_left);
  // The session request: POST to SessionPath with SessionRequestBody.
  static utility::string_t SessionPath(const utility::string_t& rest_version);
  static web::json::value SessionRequestBody(const utility::string_t& api_token);

  utility::string_t base_uri_;
  utility::string_t api_token_;
  utility::string_t rest_version_;
  utility::string_t cookie_;
  int32_t timeout_seconds_;
};
