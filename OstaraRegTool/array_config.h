// One configured array as the tool's operations exchange it. The clear API
// token lives only in memory: its buffer is zeroed whenever a record lets
// go of it (destruction, assignment).
#pragma once

#include <cpprest/details/basic_types.h>

#include <vector>

struct ArrayConfig {
  ArrayConfig() = default;
  ArrayConfig(const ArrayConfig&) = default;
  ArrayConfig(ArrayConfig&&) noexcept = default;
  // By value and swapped, so the token this record held is zeroed by the
  // argument's destructor.
  ArrayConfig& operator=(ArrayConfig other) noexcept;
  ~ArrayConfig();

  utility::string_t name;
  utility::string_t apiToken;
  utility::string_t compatible;     // "yes" / "no"
  utility::string_t online;         // "yes" / "no"
  utility::string_t url;
  utility::string_t authenticated;  // "yes" / "no"
};

using ArrayConfigList = std::vector<ArrayConfig>;
