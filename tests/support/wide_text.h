// The library's wide text (utility::string_t: UTF-8 on POSIX, UTF-16 on
// Windows) made from and turned into UTF-8, so that one test states the
// same values on both systems.
#pragma once

#include <cpprest/asyncrt_utils.h>

#include <initializer_list>
#include <string>
#include <vector>

inline utility::string_t Wide(const std::string& utf8) { return utility::conversions::to_string_t(utf8); }

inline std::string Narrow(const utility::string_t& text) { return utility::conversions::to_utf8string(text); }

inline std::vector<utility::string_t> WideList(std::initializer_list<std::string> utf8) {
  std::vector<utility::string_t> list;
  for (const std::string& text : utf8) list.push_back(Wide(text));
  return list;
}
