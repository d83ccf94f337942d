// Lookups in the arrays' JSON answers. Members are walked in the order the
// array sent them, which needs keep_object_element_order (set by KovaREST's
// constructor before any answer is parsed).
#include <algorithm>
#include <stdexcept>

#include "library/log/logger.h"
#include "library/log/log_tags.h"
#include "library/rest/kova_rest.h"
#include "library/text/text_conversion.h"

using web::json::value;

namespace {

constexpr const char* kTag = kRestTag;

const value* FindMemberDepthFirst(const value& object, const utility::string_t& key) {
  if (!object.is_object()) return nullptr;
  for (const auto& member : object.as_object()) {
    if (member.first == key) return &member.second;
    if (const value* nested = FindMemberDepthFirst(member.second, key)) return nested;
  }
  return nullptr;
}

// The common tail of the lookups: absent, invalid (null) or usable.
int CheckFound(const value* found, const utility::string_t& key, utility::string_t* text) {
  if (!found) return 1;
  const utility::string_t serialised = found->serialize();
  if (serialised.empty()) throw std::invalid_argument("Invalid Input Arguments");
  *text = serialised;
  text->erase(std::remove(text->begin(), text->end(), U('"')), text->end());
  if (*text == U("null")) {
    Logger::Write(LOG_ERROR, kTag, "JSON Value for Key (%ls) is not valid", key);
    return 1;
  }
  return 0;
}

}  // namespace

utility::string_t KovaREST::JsonValueText(const value& json) {
  utility::string_t text = json.serialize();
  text.erase(std::remove(text.begin(), text.end(), U('"')), text.end());
  return text;
}

bool KovaREST::JsonKeyHasValue(const value& object, const utility::string_t& key,
                               const utility::string_t& expected) {
  if (!object.is_object()) return false;
  for (const auto& member : object.as_object()) {
    if (member.first == key) {
      if (member.second.is_string()) return JsonValueText(member.second) == expected;
      if (member.second.is_array()) {
        return JsonValueText(member.second).find(expected) != utility::string_t::npos;
      }
      return false;
    }
    if (member.second.is_object() && JsonKeyHasValue(member.second, key, expected)) return true;
  }
  return false;
}

int KovaREST::GetJsonValueWString(const value& object, const utility::string_t& key,
                                  utility::string_t& text) {
  utility::string_t found_text;
  const int result = CheckFound(FindMemberDepthFirst(object, key), key, &found_text);
  if (result == 0) text = found_text;
  return result;
}

int KovaREST::GetJsonValueString(const value& object, const utility::string_t& key,
                                 std::string& text) {
  utility::string_t wide;
  const int result = GetJsonValueWString(object, key, wide);
  if (result == 0) text = kova::NarrowText(wide);
  return result;
}

int KovaREST::GetJsonMember(const value& object, const utility::string_t& key, value& member) {
  if (!object.is_object()) return 1;
  const auto& members = object.as_object();
  const auto it = members.find(key);
  utility::string_t text;
  const int result = CheckFound(it == members.end() ? nullptr : &it->second, key, &text);
  if (result == 0) member = it->second;
  return result;
}

bool KovaREST::JsonArrayToStrings(const value& json, std::vector<std::string>& strings) {
  if (!json.is_array()) return false;
  const auto& elements = json.as_array();
  for (const value& element : elements) {
    strings.push_back(kova::NarrowText(element.is_string() ? element.as_string()
                                                           : JsonValueText(element)));
  }
  return elements.size() > 0;
}

utility::string_t KovaREST::ReplaceAll(utility::string_t text, const utility::string_t& pattern,
                                       const utility::string_t& replacement) {
  if (text.empty() || pattern.empty()) throw std::invalid_argument("Invalid Input Arguments");
  for (size_t at = text.find(pattern); at != utility::string_t::npos;
       at = text.find(pattern, at + replacement.size())) {
    text.replace(at, pattern.size(), replacement);
  }
  return text;
}

utility::string_t KovaREST::MaskSecrets(const value& json) {
  if (!json.is_object()) return json.serialize();
  value copy = json;
  for (auto& member : copy.as_object()) {
    if ((member.first == U("api_token") || member.first == U("password")) &&
        member.second.is_string()) {
      member.second = value::string(utility::string_t(member.second.as_string().size(), U('*')));
    }
  }
  return copy.serialize();
}
