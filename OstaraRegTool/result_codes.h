// The configuration tool's result codes and the one table that turns them
// into the messages the user sees.
#pragma once

#include <cpprest/details/basic_types.h>

#include <cstdint>

enum ResultCode : uint32_t {
  RC_SUCCESS = 0,
  RC_KEY_NOT_FOUND = 2,
  RC_INVALID_ARGUMENT = 3,
  RC_VALUE_NOT_FOUND = 4,
  RC_REMOVE_FAILED = 5,
  RC_SET_VALUE_FAILED = 6,
  RC_READ_VALUE_FAILED = 7,
  RC_CREATE_KEY_FAILED = 8,
  RC_INVALID_CREDENTIALS = 9,
  RC_ARRAY_UNREACHABLE = 10,
  RC_REST_UNREACHABLE = 11,
  RC_SESSION_FAILED = 12,
  RC_NAME_IN_USE = 13,
  RC_CONFIG_NOT_FOUND = 14,
  RC_INVALID_URL = 15,
  RC_HTTP_FAILURE = 16,
  RC_INCOMPATIBLE_VERSION = 17,
  RC_NOT_ADMINISTRATOR = 18,
  RC_REGISTRY_CONFIG_FAILED = 19,
  RC_SERVICE_FAILED = 20,
  RC_TERMINATE_FAILED = 21,
};

// The message for |code|; codes without a text of their own (1, 3, 7, 8,
// 18 and unknown ones) give "\nError: General Failure".
utility::string_t GetErrorMsg(uint32_t code);
