// The JSON lookups, text helpers and name forms: pure functions over
// values, checked without an array.
#include <gtest/gtest.h>

#include <stdexcept>

#include "library/rest/kova_array.h"
#include "library/rest/kova_rest.h"
#include "tests/support/scoped_test_log.h"

using web::json::value;

namespace {

value Parse(const std::string& text) {
  web::json::keep_object_element_order(true);
  return value::parse(utility::conversions::to_string_t(text));
}

TEST(JsonKeyHasValue, StringMatchesExactlyAndCaseSensitively) {
  const value volume = Parse(R"({"name": "db01", "serial": "ABC123"})");
  EXPECT_TRUE(KovaREST::JsonKeyHasValue(volume, U("serial"), U("ABC123")));
  EXPECT_FALSE(KovaREST::JsonKeyHasValue(volume, U("serial"), U("abc123")));
  EXPECT_FALSE(KovaREST::JsonKeyHasValue(volume, U("serial"), U("ABC12")));
  EXPECT_FALSE(KovaREST::JsonKeyHasValue(volume, U("size"), U("ABC123")));
}

TEST(JsonKeyHasValue, ArrayMatchesBySubstringOfItsText) {
  const value host = Parse(R"({"iqn": ["iqn.a", "iqn.b"]})");
  EXPECT_TRUE(KovaREST::JsonKeyHasValue(host, U("iqn"), U("iqn.b")));
  EXPECT_TRUE(KovaREST::JsonKeyHasValue(host, U("iqn"), U("a,iqn")));
  EXPECT_FALSE(KovaREST::JsonKeyHasValue(host, U("iqn"), U("iqn.c")));
}

TEST(JsonKeyHasValue, FirstMemberWithTheKeyDecidesAndNestedObjectsAreSearched) {
  // A number under the key decides "no" even though a nested object matches.
  EXPECT_FALSE(KovaREST::JsonKeyHasValue(
      Parse(R"({"serial": 5, "inner": {"serial": "X"}})"), U("serial"), U("X")));
  // A nested object searched before the deciding member can say "yes".
  EXPECT_TRUE(KovaREST::JsonKeyHasValue(
      Parse(R"({"inner": {"serial": "X"}, "serial": "Y"})"), U("serial"), U("X")));
  // A nested "no" lets the walk go on to a later member.
  EXPECT_TRUE(KovaREST::JsonKeyHasValue(
      Parse(R"({"inner": {"serial": "Z"}, "serial": "Y"})"), U("serial"), U("Y")));
}

TEST(JsonKeyHasValue, ValuesThatAreNotObjectsHaveNoMembers) {
  for (const char* text : {"null", "[1,2]", "\"serial\"", "42", "true"}) {
    EXPECT_FALSE(KovaREST::JsonKeyHasValue(Parse(text), U("serial"), U("42"))) << text;
  }
}

TEST(GetJsonValueString, FindsDepthFirstInMemberOrder) {
  const value nested = Parse(R"({"a": {"name": "inner"}, "name": "outer"})");
  std::string name;
  EXPECT_EQ(0, KovaREST::GetJsonValueString(nested, U("name"), name));
  EXPECT_EQ("inner", name);
}

TEST(GetJsonValueString, GivesTheValueTextOfNonStrings) {
  const value answer = Parse(R"({"size": 1048576, "version": ["1.0", "1.1"], "ok": true})");
  std::string text;
  ASSERT_EQ(0, KovaREST::GetJsonValueString(answer, U("size"), text));
  EXPECT_EQ("1048576", text);
  ASSERT_EQ(0, KovaREST::GetJsonValueString(answer, U("version"), text));
  EXPECT_EQ("[1.0,1.1]", text);
  ASSERT_EQ(0, KovaREST::GetJsonValueString(answer, U("ok"), text));
  EXPECT_EQ("true", text);
}

TEST(GetJsonValueString, NullIsLoggedAndCountsAsAbsent) {
  ScopedTestLog log(LOG_ERROR);
  std::string text = "unchanged";
  EXPECT_EQ(1, KovaREST::GetJsonValueString(Parse(R"({"serial": null})"), U("serial"), text));
  EXPECT_EQ(1, KovaREST::GetJsonValueString(Parse(R"({"name": "x"})"), U("serial"), text));
  EXPECT_EQ(1, KovaREST::GetJsonValueString(Parse("[]"), U("serial"), text));
  EXPECT_EQ("unchanged", text);
  const auto lines = log.LinesContaining("JSON Value for Key (serial) is not valid");
  ASSERT_EQ(1u, lines.size());
  EXPECT_NE(std::string::npos, lines[0].find(" E Kova.REST "));
}

TEST(GetJsonMember, LooksAtTopLevelOnly) {
  const value host = Parse(R"({"inner": {"wwn": ["1"]}, "iqn": ["iqn.x"], "wwn": null})");
  value member;
  EXPECT_EQ(0, KovaREST::GetJsonMember(host, U("iqn"), member));
  EXPECT_EQ(U("[\"iqn.x\"]"), member.serialize());
  EXPECT_EQ(1, KovaREST::GetJsonMember(host, U("wwn"), member));
  EXPECT_EQ(1, KovaREST::GetJsonMember(Parse(R"({"inner": {"x": 1}})"), U("x"), member));
}

TEST(JsonArrayToStrings, AppendsElementsAndReportsNonEmptyArrays) {
  std::vector<std::string> strings{"kept"};
  EXPECT_TRUE(KovaREST::JsonArrayToStrings(Parse(R"(["a", "b", 7])"), strings));
  EXPECT_EQ((std::vector<std::string>{"kept", "a", "b", "7"}), strings);
  EXPECT_FALSE(KovaREST::JsonArrayToStrings(Parse("[]"), strings));
  EXPECT_FALSE(KovaREST::JsonArrayToStrings(Parse(R"({"a": 1})"), strings));
  EXPECT_EQ(4u, strings.size());
}

TEST(ReplaceAll, ContinuesAfterEachReplacement) {
  EXPECT_EQ(U("1.0,1.1]"), KovaREST::ReplaceAll(U("[1.0,[1.1]"), U("["), U("")));
  EXPECT_EQ(U("aaaa"), KovaREST::ReplaceAll(U("aa"), U("a"), U("aa")));
  EXPECT_EQ(U("xyz"), KovaREST::ReplaceAll(U("xyz"), U("q"), U("r")));
  EXPECT_THROW(KovaREST::ReplaceAll(U(""), U("a"), U("b")), std::invalid_argument);
  EXPECT_THROW(KovaREST::ReplaceAll(U("a"), U(""), U("b")), std::invalid_argument);
}

TEST(MaskSecrets, MasksTopLevelStringSecretsOnly) {
  const value body =
      Parse(R"({"api_token": "abc-123", "password": 42, "user": {"password": "pw"}})");
  EXPECT_EQ(U(R"({"api_token":"*******","password":42,"user":{"password":"pw"}})"),
            KovaREST::MaskSecrets(body));
  EXPECT_EQ(U(R"({"password":"**"})"), KovaREST::MaskSecrets(Parse(R"({"password": "pw"})")));
  EXPECT_EQ(U("[1]"), KovaREST::MaskSecrets(Parse("[1]")));
}

TEST(GetComaptibleRestVersion, MatchesWholeTokensOnly) {
  EXPECT_EQ(U("1.1"), KovaArray::GetComaptibleRestVersion(U("1.1"), U("1.0,1.1")));
  EXPECT_EQ(U(""), KovaArray::GetComaptibleRestVersion(U("1.10"), U("1.0,1.1")));
  EXPECT_EQ(U(""), KovaArray::GetComaptibleRestVersion(U(" 1.1"), U("1.0,1.1")));
  EXPECT_EQ(U(""), KovaArray::GetComaptibleRestVersion(U("1.2"), U("1.1, 1.2")));
  EXPECT_EQ(U("1.1"), KovaArray::GetComaptibleRestVersion(U("1.1"), U("1.1, 1.2")));
  EXPECT_EQ(U(""), KovaArray::GetComaptibleRestVersion(U("1"), U("1.0,1.1")));
  EXPECT_EQ(U(""), KovaArray::GetComaptibleRestVersion(U("1.1"), U("")));
}

TEST(KovaRestException, FormatsStatusAndCompactJson) {
  const KovaStorage::KovaRestException error(404, Parse(R"({"msg": "Volume does not exist."})"));
  EXPECT_STREQ("HTTP Status Code: 404\tJson Response:{\"msg\":\"Volume does not exist.\"}\n",
               error.what());
  EXPECT_STREQ("plain", KovaStorage::KovaRestException("plain").what());
}

TEST(NameForms, SnapshotSuffixAndVolumeCopyName) {
  GUID set_id{};
  ASSERT_TRUE(platform::GuidFromString("{6B29FC40-CA47-1067-B31D-00DD010662DA}", &set_id));
  EXPECT_EQ(U("VSS-6B29FC40CA471067B31D00DD010662DA"), KovaArray::MakeSnapshotSuffix(set_id));
  EXPECT_EQ("VSS-abc", KovaArray::MakeVolumeCopyName("abc"));
}

}  // namespace
