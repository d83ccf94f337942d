// JSON bodies in and out of the emulator.
#pragma once

#include <cpprest/json.h>

#include <optional>
#include <string>
#include <type_traits>

#include "tools/KovaArraySim/api_result.h"
#include "tools/KovaArraySim/http_reply.h"

namespace kova_sim {

// The emulator is a Linux stand-in: JSON strings are UTF-8 std::string.
static_assert(std::is_same<utility::string_t, std::string>::value,
              "the array emulator expects narrow UTF-8 JSON strings");

// Parses a request body that must hold a JSON object. An empty body counts
// as an empty object when `allow_empty`. On failure returns nothing and
// sets `problem` to a message for the client.
std::optional<web::json::value> ParseJsonObject(const std::string& body, bool allow_empty,
                                                std::string* problem);

// Reads an optional boolean member; false when it is present with another type.
bool ReadOptionalBool(const web::json::value& object, const std::string& key, bool* out);

HttpReply JsonReply(int status, const web::json::value& body);
HttpReply ToReply(const ApiResult& result);
// {"msg": message} with the status.
HttpReply ErrorReply(int status, const std::string& message);

}  // namespace kova_sim
