// Version negotiation and API tokens: requests made before, or without, a
// configured session. Each uses a cookie of its own.
#include "library/log/logger.h"
#include "library/log/log_tags.h"
#include "library/rest/kova_rest.h"
#include "library/text/text_conversion.h"

using web::json::value;

namespace {

constexpr const char* kTag = kRestTag;

}  // namespace

utility::string_t KovaREST::GetRESTVersionFromArray(const utility::string_t& url) const {
  Logger::Write(LOG_DEBUG, kRestVersionTag, "ENTERING: KovaREST::GetRESTVersionFromArray()");
  uint16_t status = 0;
  value response;
  utility::string_t cookie;
  const std::string narrow_url = kova::Utf8OfText(url);
  if (!RequestAndWait(url, U("/api/api_version"), kGet, nullptr, status, response, cookie)) {
    throw KovaStorage::KovaRestException("Failed to send request " + narrow_url);
  }
  if (status != 200) {
    Logger::Write(LOG_ERROR, kRestLibraryTag, "Get REST Version failed");
    throw KovaStorage::KovaRestException(status, response);
  }
  utility::string_t versions;
  if (GetJsonValueWString(response, U("version"), versions) != 0) {
    throw KovaStorage::KovaRestException("Failed to get REST Version for URL: " + narrow_url);
  }
  if (versions.empty()) throw KovaStorage::KovaRestException("REST API Version is NULL");
  versions = ReplaceAll(versions, U("["), U(""));
  if (!versions.empty()) versions = ReplaceAll(versions, U("]"), U(""));
  Logger::Write(LOG_DEBUG, kRestVersionTag,
                "EXITING: KovaREST::GetRESTVersionFromArray(). REST API Version: %hs", versions);
  return versions;
}

HRESULT KovaREST::GenerateAPIToken(const utility::string_t& base_uri,
                                   const utility::string_t& rest_version,
                                   const utility::string_t& user_name,
                                   const utility::string_t& password,
                                   utility::string_t& api_token) const {
  Logger::Write(LOG_DEBUG, kTag, "ENTERING: GenerateAPIToken()");
  Logger::Write(LOG_DEBUG, kTag, "BaseURI: %ls", base_uri);
  const utility::string_t path = U("/api/") + rest_version + U("/auth/apitoken");
  Logger::Write(LOG_DEBUG, kTag, "RequestURI: %ls", path);

  value body = value::object();
  body[U("username")] = value::string(user_name);
  body[U("password")] = value::string(password);
  uint16_t status = 0;
  value response;
  utility::string_t cookie;
  if (!RequestAndWait(base_uri, path, kPost, &body, status, response, cookie)) {
    Logger::Write(LOG_ERROR, kTag, "EXITING: GenerateAPIToken() Failed to send request.");
    return E_FAIL;
  }
  if (status == 200) {
    utility::string_t token;
    if (GetJsonValueWString(response, U("api_token"), token) == 0) {
      if (!token.empty()) {
        api_token = token;
        return S_OK;
      }
      Logger::Write(LOG_DEBUG, kTag, "API Token not found");
      return E_UNEXPECTED;
    }
  } else {
    std::string message;
    if (GetJsonValueString(response, U("msg"), message) == 0 &&
        message == "invalid credentials") {
      Logger::Write(LOG_DEBUG, kTag, "Invalid UserName/Password: %ls/hidden", user_name);
      return E_ACCESSDENIED;
    }
  }
  Logger::Write(LOG_ERROR, kTag, "EXITING: GenerateAPIToken() Unexpected failure");
  return E_FAIL;
}

bool KovaREST::VerifyAPIToken(const utility::string_t& base_uri,
                              const utility::string_t& rest_version,
                              const utility::string_t& api_token) const {
  Logger::Write(LOG_DEBUG, kTag, "ENTERING: VerifyAPIToken()");
  const utility::string_t path = SessionPath(rest_version);
  const value body = SessionRequestBody(api_token);
  uint16_t status = 0;
  value response;
  utility::string_t cookie;
  if (!RequestAndWait(base_uri, path, kPost, &body, status, response, cookie)) {
    Logger::Write(LOG_ERROR, kTag, "EXITING: VerifyAPIToken() Failed to send request.");
    return false;
  }
  if (status != 200) {
    Logger::Write(LOG_ERROR, kTag, "Could not get Session cookie, Status Code: %hs",
                  std::to_string(status));
    Logger::Write(LOG_DEBUG, kTag, "EXITING: VerifyAPIToken()");
    return false;
  }
  value closed;
  if (!RequestAndWait(base_uri, path, kDelete, nullptr, status, closed, cookie)) {
    Logger::Write(LOG_ERROR, kTag,
                  "EXITING: VerifyAPIToken() Failed to send request for session deletion.");
    return true;
  }
  if (status != 200) Logger::Write(LOG_ERROR, kRestLibraryTag, "Delete session failed");
  Logger::Write(LOG_DEBUG, kTag, "EXITING: VerifyAPIToken()");
  return true;
}
