#include "OstaraRegTool/result_codes.h"

#include <cpprest/asyncrt_utils.h>
#include <string>

#include "OstaraRegTool/tool_log_tags.h"
#include "library/log/logger.h"
#include "library/text/text_conversion.h"

namespace {

const char* MessageFor(uint32_t code) {
  switch (code) {
    case RC_SUCCESS: return "\nSuccess";
    case RC_KEY_NOT_FOUND: return "\nError: Key does not exists in the registry";
    case RC_VALUE_NOT_FOUND: return "\nError: Value does not exists in the registry";
    case RC_REMOVE_FAILED: return "\nError: Failed to remove configuration from the registry";
    case RC_SET_VALUE_FAILED: return "\nError: Could not update Value in the registry";
    case RC_INVALID_CREDENTIALS:
      return "\nError: Invalid credentials. Check username/password and try again";
    case RC_ARRAY_UNREACHABLE:
      return "\nError: Cannot connect to Lumenstack. Check the inputs and try again";
    case RC_REST_UNREACHABLE:
      return "Error: Cannot connect to the Lumenstack REST API. Please check the following:\r\n"
             "\r\n"
             "- The Lumenstack is online and accessible\r\n"
             "- The Firewall is properly configured to allow HTTPS access to the Lumenstack, and "
             "TLS 1.1 or TLS 1.2 is enabled\r\n";
    case RC_SESSION_FAILED: return "\nError: Cannot establish Lumenstack authenticated REST session";
    case RC_NAME_IN_USE: return "\nError: Lumenstack name already in use";
    case RC_CONFIG_NOT_FOUND: return "\nError: Lumenstack configuration not found in the Registry";
    case RC_INVALID_URL: return "\nError: Invalid URL. Check the URL and try again";
    case RC_HTTP_FAILURE: return "\nError: HTTP Request Failure";
    case RC_INCOMPATIBLE_VERSION:
      return "\nError: Couldn't add new array configuration due to incompatible version";
    case RC_REGISTRY_CONFIG_FAILED: return "\nError: Registry Configuration failed";
    case RC_SERVICE_FAILED: return "\nError: VSS Provider service management failed";
    case RC_TERMINATE_FAILED: return "\nError: Cannot terminate VSS Provider service";
    default: return "\nError: General Failure";
  }
}

}  // namespace

utility::string_t GetErrorMsg(uint32_t code) {
  Logger::Write(LOG_DEBUG, kImplementationTag, "ENTERING: GetErrorMsg() with ReturnCode: %hs",
                std::to_string(code));
  return kova::TextOfUtf8(MessageFor(code));
}
