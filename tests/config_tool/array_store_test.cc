// Reading, listing, renaming, re-addressing and removing configured arrays.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "OstaraRegTool/array_operations.h"
#include "OstaraRegTool/array_store.h"
#include "OstaraRegTool/result_codes.h"
#include "library/config/token_protection.h"
#include "tests/config_tool/tool_test_fixture.h"
#include "tests/support/wide_text.h"

namespace {

class ArrayStoreTest : public ToolSimTest {
 protected:
  void Store(const std::string& name, const std::string& token, const std::string& url = "") {
    ArrayConfig config;
    config.name = Wide(name);
    config.apiToken = Wide(token);
    config.url = url.empty() ? Url() : Wide(url);
    ASSERT_EQ(RC_SUCCESS, CreateArrayConfig(config));
  }
  std::vector<uint8_t> ApiKey(const std::string& name) {
    auto key = Key(ArrayPath(name));
    uint8_t data[512];
    uint32_t size = sizeof data;
    if (!key || key->QueryValue("APIKey", nullptr, data, &size) != platform::RegistryStatus::kOk) {
      return {};
    }
    return std::vector<uint8_t>(data, data + size);
  }
  std::string StoredToken(const std::string& name) {
    utility::string_t token;
    if (!UnprotectApiToken(ApiKey(name), &token)) return "<unreadable>";
    return Narrow(token);
  }
  // "url compatible online authenticated name" of each listed array.
  std::vector<std::string> Listing(uint32_t* code, const std::string& filter = "") {
    ArrayConfigList list;
    *code = GetArrayConfigInfo(list, Wide(filter));
    std::vector<std::string> rows;
    for (const ArrayConfig& a : list) {
      rows.push_back(Narrow(a.url + U(" ") + a.compatible + U(" ") + a.online + U(" ") + a.authenticated +
                            U(" ") + a.name));
    }
    return rows;
  }
};

TEST_F(ArrayStoreTest, ListsEachArrayWithWhatTheArraySaysAboutIt) {
  Store("good", Token());
  Store("revoked", "no-longer-valid-token-0000000000");
  Store("gone", Token(), "https://127.0.0.1:1");
  uint32_t code = 99;
  const std::string url = sim_.Url();
  EXPECT_EQ((std::vector<std::string>{"https://127.0.0.1:1 no no no gone", url + " yes yes yes good",
                                      url + " yes yes no revoked"}),
            Listing(&code));
  EXPECT_EQ(RC_SUCCESS, code);

  sim_.SetVersions({"2.0"});
  EXPECT_EQ((std::vector<std::string>{url + " no yes no good"}), Listing(&code, "good"));
  EXPECT_EQ(RC_SUCCESS, code);
}

TEST_F(ArrayStoreTest, AnArrayThatDoesNotAnswerEchoIsNotAskedAnything) {
  Store("lab", Token());
  echo_.answers = false;
  uint32_t code = 99;
  EXPECT_EQ((std::vector<std::string>{sim_.Url() + " no no no lab"}), Listing(&code));
  EXPECT_EQ(RC_SUCCESS, code);
  EXPECT_TRUE(sim_.Requests().empty());
}

TEST_F(ArrayStoreTest, TheListingsResultIsThatOfTheLastArrayExamined) {
  uint32_t code = 0;
  EXPECT_TRUE(Listing(&code).empty());
  EXPECT_EQ(RC_CONFIG_NOT_FOUND, code) << "no arrays";
  registry_->fail_open.insert(kova::kProviderRootKey);
  EXPECT_TRUE(Listing(&code).empty());
  EXPECT_EQ(RC_CONFIG_NOT_FOUND, code) << "no provider key";
  registry_->fail_open.clear();

  Store("b-array", Token());
  PutString(ArrayPath("c-broken"), "URL", "https://127.0.0.1:1");  // no APIKey
  EXPECT_EQ((std::vector<std::string>{sim_.Url() + " yes yes yes b-array"}), Listing(&code));
  EXPECT_EQ(RC_READ_VALUE_FAILED, code) << "the broken array is the last one";

  PutString(ArrayPath("a-broken"), "URL", "https://127.0.0.1:1");
  memory_->DeleteTree(platform::RegistryRoot::kLocalMachine, ArrayPath("c-broken"));
  EXPECT_EQ(1u, Listing(&code).size());
  EXPECT_EQ(RC_SUCCESS, code) << "a later readable array hides the earlier failure";

  EXPECT_TRUE(Listing(&code, "B-ARRAY").empty()) << "the filter compares exactly";
  EXPECT_EQ(RC_SUCCESS, code);
}

TEST_F(ArrayStoreTest, GetArrayConfigWithoutStatusReadsOnlyTheStore) {
  Store("lab", Token());
  ArrayConfig config;
  config.online = U("stale");
  ASSERT_EQ(RC_SUCCESS, GetArrayConfig(U("lab"), config, false));
  EXPECT_EQ(Token(), Narrow(config.apiToken));
  EXPECT_EQ(Url(), config.url);
  EXPECT_EQ("no", Narrow(config.online));
  EXPECT_TRUE(sim_.Requests().empty());
  EXPECT_TRUE(echo_.pinged.empty());
  EXPECT_EQ(RC_INVALID_ARGUMENT, GetArrayConfig(U(""), config, false));
  EXPECT_EQ(RC_KEY_NOT_FOUND, GetArrayConfig(U("missing"), config, false));

  std::unique_ptr<platform::RegistryKey> key = Key(ArrayPath("lab"));
  const uint8_t foreign[] = {'K', 1, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9};
  key->SetValue("APIKey", platform::kRegBinary, foreign, sizeof foreign);
  ASSERT_EQ(RC_SUCCESS, GetArrayConfig(U("lab"), config, false)) << "not an error";
  EXPECT_EQ("", Narrow(config.apiToken));
}

TEST_F(ArrayStoreTest, ARenameMovesTheAddressAndAFreshlyProtectedToken) {
  Store("old", Token());
  const std::vector<uint8_t> before = ApiKey("old");
  ASSERT_EQ(RC_SUCCESS, UpdateKovaArrayName(U("old"), U("new")));
  EXPECT_EQ((std::vector<std::string>{"new"}), ArrayKeys());
  EXPECT_EQ(sim_.Url(), StringValue(ArrayPath("new"), "URL"));
  EXPECT_EQ(Token(), StoredToken("new"));
  EXPECT_NE(before, ApiKey("new"));
}

TEST_F(ArrayStoreTest, ARenameThatCannotCompleteKeepsTheArrayUnderItsOldName) {
  Store("old", Token());
  Store("other", Token());
  EXPECT_EQ(RC_NAME_IN_USE, UpdateKovaArrayName(U("old"), U("other")));
  EXPECT_EQ(RC_NAME_IN_USE, UpdateKovaArrayName(U("old"), U("OLD"))) << "its own key, folded";
  EXPECT_EQ(RC_INVALID_ARGUMENT, UpdateKovaArrayName(U("old"), U("a\\b")));
  EXPECT_EQ(RC_KEY_NOT_FOUND, UpdateKovaArrayName(U("missing"), U("new")));

  registry_->fail_create.insert(ArrayPath("new"));
  EXPECT_EQ(RC_CREATE_KEY_FAILED, UpdateKovaArrayName(U("old"), U("new")));
  registry_->fail_create.clear();
  registry_->fail_delete.insert(ArrayPath("old"));
  EXPECT_EQ(RC_REMOVE_FAILED, UpdateKovaArrayName(U("old"), U("new")));
  registry_->fail_delete.clear();

  EXPECT_EQ((std::vector<std::string>{"old", "other"}), ArrayKeys());
  EXPECT_EQ(Token(), StoredToken("old"));
  EXPECT_EQ(sim_.Url(), StringValue(ArrayPath("old"), "URL"));
}

TEST_F(ArrayStoreTest, ARenameNeverReplacesATokenThatCannotBeUnprotected) {
  Store("old", Token());
  const uint8_t foreign[] = {'K', 1, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7};
  Key(ArrayPath("old"))->SetValue("APIKey", platform::kRegBinary, foreign, sizeof foreign);
  EXPECT_EQ(RC_READ_VALUE_FAILED, UpdateKovaArrayName(U("old"), U("new")));
  EXPECT_EQ((std::vector<std::string>{"old"}), ArrayKeys());
  EXPECT_EQ(std::vector<uint8_t>(foreign, foreign + sizeof foreign), ApiKey("old"));
}

TEST_F(ArrayStoreTest, AnAddressChangeTouchesOnlyTheUrl) {
  Store("lab", Token());
  const std::vector<uint8_t> token = ApiKey("lab");
  EXPECT_EQ(RC_SUCCESS, UpdateKovaArrayURL(U("lab"), U("https://10.1.2.3")));
  EXPECT_EQ("https://10.1.2.3", StringValue(ArrayPath("lab"), "URL"));
  EXPECT_EQ(token, ApiKey("lab"));
  EXPECT_EQ(RC_CONFIG_NOT_FOUND, UpdateKovaArrayURL(U("missing"), U("https://x")));
  EXPECT_EQ(RC_CONFIG_NOT_FOUND, UpdateKovaArrayURL(U("\\"), U("https://x")));
  EXPECT_EQ(RC_INVALID_URL, UpdateKovaArrayURL(U("lab"), utility::string_t(512, U('u'))));
  EXPECT_EQ(RC_SUCCESS, UpdateKovaArrayURL(U("lab"), utility::string_t(511, U('u'))));
  registry_->fail_set_value.insert("URL");
  EXPECT_EQ(RC_SET_VALUE_FAILED, UpdateKovaArrayURL(U("lab"), U("https://x")));
}

TEST_F(ArrayStoreTest, RemovingDeletesOnlyTheNamedArray) {
  Store("lab", Token());
  Store("keep", Token());
  EXPECT_EQ(RC_CONFIG_NOT_FOUND, RemoveKovaArray(U("missing")));
  // A path-like name never reaches the provider key or another key.
  EXPECT_EQ(RC_CONFIG_NOT_FOUND, RemoveKovaArray(U("\\")));
  EXPECT_EQ(RC_CONFIG_NOT_FOUND, RemoveKovaArray(U("\\keep")));
  registry_->fail_delete.insert(ArrayPath("lab"));
  EXPECT_EQ(RC_REMOVE_FAILED, RemoveKovaArray(U("lab")));
  registry_->fail_delete.clear();
  EXPECT_EQ(RC_SUCCESS, RemoveKovaArray(U("lab")));
  EXPECT_EQ((std::vector<std::string>{"keep"}), ArrayKeys());
}

TEST_F(ArrayStoreTest, NamesAreListedInTheRegistrysOrderAndComparedWithoutCase) {
  std::vector<utility::string_t> names;
  EXPECT_EQ(RC_CONFIG_NOT_FOUND, GetKovaArrayNames(names));
  Store("beta", Token());
  Store("Alpha", Token());
  EXPECT_EQ(RC_SUCCESS, GetKovaArrayNames(names));
  EXPECT_EQ((std::vector<utility::string_t>{U("Alpha"), U("beta")}), names);
  EXPECT_EQ(RC_NAME_IN_USE, IsArrayNameInUse(U("ALPHA")));
  EXPECT_EQ(RC_SUCCESS, IsArrayNameInUse(U("gamma")));
  EXPECT_EQ(RC_INVALID_ARGUMENT, IsArrayNameInUse(U("")));
}

}  // namespace
