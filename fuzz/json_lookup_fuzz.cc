// Feeds arbitrary bytes, as an array's answer would arrive, through the JSON
// parser and every lookup the array operations use.
#include <cstddef>
#include <cstdint>
#include <string>

#include "library/rest/kova_array.h"
#include "library/rest/kova_rest.h"

namespace {

void Probe(const web::json::value& answer) {
  static const utility::char_t* kKeys[] = {U("name"), U("serial"), U("version"), U("wwn"),
                                           U("iqn"),  U("id"),     U("msg"),     U("api_token")};
  for (const utility::char_t* key : kKeys) {
    std::string narrow;
    utility::string_t wide;
    web::json::value member;
    std::vector<std::string> strings;
    KovaREST::GetJsonValueString(answer, key, narrow);
    KovaREST::GetJsonValueWString(answer, key, wide);
    KovaREST::JsonKeyHasValue(answer, key, wide);
    if (KovaREST::GetJsonMember(answer, key, member) == 0) {
      KovaREST::JsonArrayToStrings(member, strings);
    }
  }
  KovaREST::MaskSecrets(answer);
  KovaStorage::KovaRestException(200, answer);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool ordered = [] {
    web::json::keep_object_element_order(true);
    return true;
  }();
  (void)ordered;
  const std::string text(reinterpret_cast<const char*>(data), size);
  KovaArray::GetComaptibleRestVersion(U("1.1"), utility::conversions::to_string_t(text));
  web::json::value answer;
  try {
    answer = web::json::value::parse(utility::conversions::to_string_t(text));
  } catch (const web::json::json_exception&) {
    return 0;
  }
  Probe(answer);
  if (answer.is_array()) {
    for (const auto& element : answer.as_array()) Probe(element);
  }
  return 0;
}
