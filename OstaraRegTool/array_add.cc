// AddKovaArray: the checks an array passes before it is stored.
#include <exception>

#include "OstaraRegTool/array_operations.h"
#include "OstaraRegTool/array_reachability.h"
#include "OstaraRegTool/array_status.h"
#include "OstaraRegTool/array_store.h"
#include "OstaraRegTool/result_codes.h"
#include "OstaraRegTool/tool_log_tags.h"
#include "library/log/logger.h"
#include "library/rest/kova_rest.h"

namespace {

// Negotiates the version and turns the credentials into config.apiToken.
uint32_t ObtainApiToken(ArrayConfig& config, const utility::string_t& user,
                        const utility::string_t& password) {
  KovaREST rest(KovaREST::GetRESTTimeOutFromRegistry());
  utility::string_t versions;
  try {
    versions = rest.GetRESTVersionFromArray(config.url);
  } catch (const std::exception&) {
    return RC_REST_UNREACHABLE;
  }
  const utility::string_t chosen = ChooseRestVersion(versions);
  if (chosen.empty()) {
    Logger::Write(LOG_ERROR, kImplementationTag, "Incompatible REST Version");
    return RC_INCOMPATIBLE_VERSION;
  }
  try {
    const HRESULT hr = rest.GenerateAPIToken(config.url, chosen, user, password, config.apiToken);
    if (hr == S_OK && !config.apiToken.empty()) return RC_SUCCESS;
    return hr == E_ACCESSDENIED ? RC_INVALID_CREDENTIALS : RC_SESSION_FAILED;
  } catch (const std::exception&) {
    return RC_SESSION_FAILED;
  }
}

}  // namespace

uint32_t AddKovaArray(const utility::string_t& name, const utility::string_t& url,
                      const utility::string_t& user, const utility::string_t& password) {
  Logger::Write(LOG_DEBUG, kImplementationTag,
                "ENTERING: AddKovaArray() with Parameters: Name=%ls, URL=%ls, Username=%ls, "
                "Password hidden",
                name, url, user);
  uint32_t result = IsArrayNameInUse(name);
  if (result != RC_SUCCESS) return result;
  if (!IsStorableUrl(url)) return RC_INVALID_URL;
  if (!IsArrayExists(url)) {
    Logger::Write(LOG_DEBUG, kImplementationTag, "Exiting: AddKovaArray()");
    return RC_ARRAY_UNREACHABLE;
  }
  ArrayConfig config;
  config.name = name;
  config.url = url;
  result = ObtainApiToken(config, user, password);
  if (result == RC_SUCCESS) result = CreateArrayConfig(config);
  Logger::Write(LOG_DEBUG, kImplementationTag, "Exiting: AddKovaArray()");
  return result;
}
