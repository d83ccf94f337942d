// The one message table of the tool.
#include <gtest/gtest.h>

#include <string>

#include "OstaraRegTool/result_codes.h"
#include "tests/support/scoped_test_log.h"
#include "tests/support/wide_text.h"

namespace {

TEST(ResultCodesTest, EveryCodeWithATextOfItsOwnShowsIt) {
  const struct {
    uint32_t code;
    const char* text;
  } kTexts[] = {
      {RC_SUCCESS, "\nSuccess"},
      {RC_KEY_NOT_FOUND, "\nError: Key does not exists in the registry"},
      {RC_VALUE_NOT_FOUND, "\nError: Value does not exists in the registry"},
      {RC_REMOVE_FAILED, "\nError: Failed to remove configuration from the registry"},
      {RC_SET_VALUE_FAILED, "\nError: Could not update Value in the registry"},
      {RC_INVALID_CREDENTIALS, "\nError: Invalid credentials. Check username/password and try again"},
      {RC_ARRAY_UNREACHABLE, "\nError: Cannot connect to Lumenstack. Check the inputs and try again"},
      {RC_REST_UNREACHABLE,
       "Error: Cannot connect to the Lumenstack REST API. Please check the following:\r\n\r\n- The "
       "Lumenstack is online and accessible\r\n- The Firewall is properly configured to allow HTTPS "
       "access to the Lumenstack, and TLS 1.1 or TLS 1.2 is enabled\r\n"},
      {RC_SESSION_FAILED, "\nError: Cannot establish Lumenstack authenticated REST session"},
      {RC_NAME_IN_USE, "\nError: Lumenstack name already in use"},
      {RC_CONFIG_NOT_FOUND, "\nError: Lumenstack configuration not found in the Registry"},
      {RC_INVALID_URL, "\nError: Invalid URL. Check the URL and try again"},
      {RC_HTTP_FAILURE, "\nError: HTTP Request Failure"},
      {RC_INCOMPATIBLE_VERSION,
       "\nError: Couldn't add new array configuration due to incompatible version"},
      {RC_REGISTRY_CONFIG_FAILED, "\nError: Registry Configuration failed"},
      {RC_SERVICE_FAILED, "\nError: VSS Provider service management failed"},
      {RC_TERMINATE_FAILED, "\nError: Cannot terminate VSS Provider service"},
  };
  for (const auto& entry : kTexts) {
    EXPECT_EQ(entry.text, Narrow(GetErrorMsg(entry.code))) << entry.code;
  }
}

TEST(ResultCodesTest, CodesWithoutATextShowTheGeneralFailure) {
  for (uint32_t code : {1u, 3u, 7u, 8u, 18u, 22u, 0xFFFFFFFFu}) {
    EXPECT_EQ("\nError: General Failure", Narrow(GetErrorMsg(code))) << code;
  }
}

TEST(ResultCodesTest, TheLookupIsLoggedWithTheCode) {
  ScopedTestLog log(LOG_DEBUG);
  GetErrorMsg(RC_NAME_IN_USE);
  EXPECT_EQ(1u, log.LinesContaining("Kova.RegTool Implementation ENTERING: GetErrorMsg() with "
                                    "ReturnCode: 13").size());
}

}  // namespace
