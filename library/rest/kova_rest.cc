// The transport: one request, the blocking wait, and the session-managed
// request.
#include "library/rest/kova_rest.h"

#include <cpprest/http_client.h>

#include <mutex>

#include "library/log/log_tags.h"
#include "library/log/logger.h"
#include "library/registry_layout.h"
#include "library/text/leading_integer.h"
#include "library/text/text_conversion.h"
#include "library/version.h"
#include "platform/https_client_tls.h"
#include "platform/os_version.h"
#include "platform/registry.h"

using web::http::http_response;
using web::json::value;

namespace {

constexpr const char* kTag = kRestTag;
constexpr uint16_t kNoResponse = 408;
constexpr int32_t kDefaultTimeoutSeconds = 10;
constexpr uint32_t kTimeoutBufferBytes = 24;

const web::http::method& MethodFor(int number) {
  static const web::http::method kMethods[] = {web::http::methods::GET, web::http::methods::POST,
                                               web::http::methods::PUT, web::http::methods::DEL};
  if (number < 0 || number > 3) throw std::invalid_argument("Invalid request method");
  return kMethods[number];
}

const utility::string_t& UserAgent() {
  static const utility::string_t agent = [] {
    const platform::OsVersion os = platform::GetOsVersion();
    return kova::WidenText(std::string("VSS/") + kova::kProductVersion + " (" +
                           kova::kBuildString + "; " + std::to_string(os.major) + "." +
                           std::to_string(os.minor) + ")");
  }();
  return agent;
}

// Arrays are answered member by member in the order they were sent; the
// lookups depend on it.
void KeepJsonMemberOrder() {
  static std::once_flag once;
  std::call_once(once, [] { web::json::keep_object_element_order(true); });
}

void LogAnswer(uint16_t status, const value& response, const utility::string_t& version) {
  Logger::Write(LOG_DEBUG, kTag, "Status Code: %ls", std::to_string(status));
  if (Logger::Writes(LOG_TRACE)) {
    Logger::Write(LOG_TRACE, kTag, "Json Response: %ls", KovaREST::MaskSecrets(response));
  }
  if (status == 450) {
    Logger::Write(LOG_DEBUG, kTag, "Status Code: %ls: REST API version (%ls) not supported by array",
                  "450", version);
  }
}

}  // namespace

KovaREST::KovaREST() : KovaREST(GetRESTTimeOutFromRegistry()) {}

KovaREST::KovaREST(int32_t timeout_seconds) : timeout_seconds_(timeout_seconds) {
  KeepJsonMemberOrder();
}

void KovaREST::Configure(const utility::string_t& base_uri, const utility::string_t& api_token,
                         const utility::string_t& rest_version) {
  base_uri_ = base_uri;
  api_token_ = api_token;
  rest_version_ = rest_version;
}

pplx::task<void> KovaREST::Request(const utility::string_t& base_uri,
                                   const utility::string_t& path, int method,
                                   const value* body, uint16_t& status, value& response,
                                   utility::string_t& cookie) const {
  Logger::Write(LOG_DEBUG, kTag, "ENTERING: KovaREST::Request()");
  status = kNoResponse;

  web::http::client::http_client_config config;
  platform::DisableCertificateValidation(config);
  config.set_timeout(std::chrono::seconds(timeout_seconds_));
  web::http::client::http_client client(base_uri, config);

  web::http::http_request request;
  if (!path.empty()) request.set_request_uri(path);
  request.headers().add(U("User-Agent"), UserAgent());
  request.set_method(MethodFor(method));
  Logger::Write(LOG_TRACE, kTag, "Request Method: %ls, URI: %ls%ls", request.method(), base_uri,
                path);
  if (body && (method == kPost || method == kDelete)) {
    // Sent as bytes: the library's set_body(json::value) reads its own
    // string buffer through a stream of another character type.
    const std::string text = kova::Utf8OfText(body->serialize());
    request.set_body(std::vector<unsigned char>(text.begin(), text.end()));
    request.headers().set_content_type(U("application/json"));
    if (Logger::Writes(LOG_TRACE)) {
      Logger::Write(LOG_TRACE, kTag, "Json Request body: %ls", MaskSecrets(*body));
    }
  }
  if (!cookie.empty()) request.headers().add(U("cookie"), cookie);

  // The continuations write into the caller's variables; the caller blocks
  // on the task, so they outlive it. Failures while processing an answer
  // are logged here and never reach the wait, where only transport failures
  // surface.
  const utility::string_t version = rest_version_;
  return client.request(request).then([&status, &response, &cookie, version](http_response answer) {
    status = answer.status_code();
    const web::http::http_headers headers = answer.headers();
    return answer.extract_json().then(
        [&status, &response, &cookie, version, headers](pplx::task<value> extracted) {
          try {
            response = extracted.get();
            const auto set_cookie = headers.find(U("set-cookie"));
            if (set_cookie != headers.end()) cookie = set_cookie->second;
            LogAnswer(status, response, version);
          } catch (const std::exception& e) {
            // An answer broken off by the connection is no answer: it
            // surfaces at the wait as a transport failure. A body that
            // cannot be taken as JSON counts as answered.
            const auto* broken = dynamic_cast<const web::http::http_exception*>(&e);
            if (broken != nullptr && broken->error_code()) {
              status = kNoResponse;
              throw;
            }
            Logger::Write(LOG_ERROR, kTag, "KovaREST::Request() failed with %hs", e.what());
          }
          Logger::Write(LOG_DEBUG, kTag, "EXITING: KovaREST::Request()");
        });
  });
}

bool KovaREST::RequestAndWait(const utility::string_t& base_uri, const utility::string_t& path,
                              int method, const value* body, uint16_t& status, value& response,
                              utility::string_t& cookie) const {
  Logger::Write(LOG_DEBUG, kTag, "ENTERING: KovaREST::RequestAndWait()");
  try {
    Request(base_uri, path, method, body, status, response, cookie).wait();
  } catch (const web::http::http_exception& e) {
    Logger::Write(LOG_ERROR, kTag,
                  "KovaREST::RequestAndWait() failed with %hs (ErrCode=%ld) GetLastError = %ld - "
                  "check network connection.",
                  e.what(), static_cast<long>(e.error_code().value()), static_cast<long>(errno));
    return false;
  }
  Logger::Write(LOG_DEBUG, kTag, "EXITING: KovaREST::RequestAndWait()");
  return true;
}

void KovaREST::RequestSync(const utility::string_t& path, int method, const value* body,
                           uint16_t& status, value& response) {
  Logger::Write(LOG_DEBUG, kTag, "ENTERING: KovaREST::RequestSync()");
  status = kNoResponse;
  if (base_uri_.empty()) {
    throw KovaStorage::KovaRestException(
        "Base URI not defined, REST library not initialized properly");
  }
  const bool had_session = !cookie_.empty();
  bool retry_left = method == kGet;
  if (had_session && !SendCallersRequest(path, method, body, status, response, retry_left)) {
    throw KovaStorage::KovaRestException("Failed to send request.");
  }
  if (!had_session || status == 401) {
    RenewSession();
    if (!SendCallersRequest(path, method, body, status, response, retry_left)) {
      throw KovaStorage::KovaRestException("Failed to send request.");
    }
  }
}

bool KovaREST::SendCallersRequest(const utility::string_t& path, int method, const value* body,
                                  uint16_t& status, value& response, bool& retry_left) {
  if (RequestAndWait(base_uri_, path, method, body, status, response, cookie_)) return true;
  // Only a GET may be sent twice: a POST or DELETE whose answer was lost
  // may have been carried out.
  if (!retry_left) return false;
  retry_left = false;
  Logger::Write(LOG_WARN, kTag,
                "KovaREST::RequestSync() GET %ls%ls got no answer, sending it once more",
                base_uri_, path);
  return RequestAndWait(base_uri_, path, method, body, status, response, cookie_);
}

utility::string_t KovaREST::SessionPath(const utility::string_t& rest_version) {
  return U("/api/") + rest_version + U("/auth/session");
}

value KovaREST::SessionRequestBody(const utility::string_t& api_token) {
  value body = value::object();
  body[U("api_token")] = value::string(api_token);
  return body;
}

void KovaREST::RenewSession() {
  Logger::Write(LOG_INFO, kTag, "No session or session expired, will try to renew session");
  if (api_token_.empty()) {
    throw KovaStorage::KovaRestException(
        "API token not defined, REST library not initialized properly");
  }
  const value body = SessionRequestBody(api_token_);
  uint16_t status = kNoResponse;
  value response;
  if (!RequestAndWait(base_uri_, SessionPath(rest_version_), kPost, &body, status, response,
                      cookie_)) {
    throw KovaStorage::KovaRestException("Failed to send request.");
  }
  if (status != 200) {
    Logger::Write(LOG_ERROR, kTag, "Could not renew Session cookie, Status Code: %hs",
                  std::to_string(status));
    throw KovaStorage::KovaRestException("Could not renew Session cookie");
  }
}

int32_t KovaREST::GetRESTTimeOutFromRegistry() {
  Logger::Write(LOG_DEBUG, kTag, "ENTERING: KovaREST::GetRESTTimeOutFromRegistry()");
  int32_t timeout = kDefaultTimeoutSeconds;
  std::unique_ptr<platform::RegistryKey> key;
  if (platform::MachineRegistry().OpenKey(platform::RegistryRoot::kLocalMachine,
                                          kova::kProviderRootKey, &key) !=
      platform::RegistryStatus::kOk) {
    Logger::Write(LOG_ERROR, kTag,
                  "KovaREST::GetRESTTimeOutFromRegistry. Failed to read timeout from registry, "
                  "using default value");
  } else {
    std::string text;
    if (platform::ReadStringValue(*key, kova::kValueRestTimeout, kTimeoutBufferBytes, &text) &&
        !text.empty()) {
      timeout = kova::ParseLeadingInteger(kova::TextOfUtf8(text));
    }
    // A time-out of 0 or less would fail every request at once.
    if (timeout <= 0) {
      Logger::Write(LOG_WARN, kTag,
                    "KovaREST::GetRESTTimeOutFromRegistry. RestTimeout (%hs) is not a positive "
                    "number of seconds, using default value",
                    text);
      timeout = kDefaultTimeoutSeconds;
    }
  }
  Logger::Write(LOG_DEBUG, kTag, "EXITING: KovaREST::GetRESTTimeOutFromRegistry() Rest Timeout=%d",
                timeout);
  return timeout;
}
