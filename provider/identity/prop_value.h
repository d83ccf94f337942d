// A small management-instrumentation query engine: one query on one
// namespace, one property read from every instance, through embedded
// objects when the property path says so, each value rendered as text.
#pragma once

#include <cpprest/details/basic_types.h>

#include <string>
#include <vector>

// Statuses of GetPropValue.
enum PropValueStatus {
  kPropValueFound = 0,
  kPropValueNoLocator = 1,
  kPropValueNoConnection = 3,
  kPropValueQueryFailed = 4,
  kPropValueNotFound = 5,
};

// Runs `query` (WQL) on `name_space` ("root\WMI", or "\\machine\root\WMI")
// through platform::CurrentManagement(). `values` is emptied, then gets one
// entry per instance in the order the instances come: the first name of
// `property_path` is read from the instance, every further name from the
// embedded object the previous one holds. Renderings: missing or null
// values "EMPTY", byte arrays two upper-case hexadecimal digits per byte,
// integers in decimal, floating values with six significant digits, TRUE
// or FALSE, text as it is; other types give no entry.
// Returns a PropValueStatus: found when `values` is not empty.
int GetPropValue(const utility::string_t& name_space, const utility::string_t& query,
                 const std::vector<utility::string_t>& property_path,
                 std::vector<std::string>& values);
