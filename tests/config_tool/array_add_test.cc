// AddKovaArray against the array emulator: the checks in their order, and
// what reaches the store.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <string>
#include <vector>

#include "OstaraRegTool/array_operations.h"
#include "OstaraRegTool/result_codes.h"
#include "library/config/token_protection.h"
#include "tests/support/scoped_state_dir.h"
#include "tests/config_tool/tool_test_fixture.h"
#include "tests/support/wide_text.h"

namespace {

class ArrayAddTest : public ToolSimTest {
 protected:
  uint32_t Add(const std::string& name, const std::string& password = "admin-password") {
    return AddKovaArray(Wide(name), Url(), U("admin"), Wide(password));
  }
  void ExpectNothingStoredOrSent() {
    EXPECT_TRUE(ArrayKeys().empty());
    EXPECT_TRUE(sim_.Requests().empty());
  }
  std::vector<uint8_t> ApiKeyBytes(const std::string& name, uint32_t* type) {
    auto key = Key(ArrayPath(name));
    uint32_t size = 0;
    EXPECT_EQ(platform::RegistryStatus::kOk, key->QueryValue("APIKey", type, nullptr, &size));
    std::vector<uint8_t> blob(size);
    EXPECT_EQ(platform::RegistryStatus::kOk, key->QueryValue("APIKey", type, blob.data(), &size));
    return blob;
  }
};

TEST_F(ArrayAddTest, StoresTheUrlAndTheProtectedTokenButNeverTheClearToken) {
  ASSERT_EQ(RC_SUCCESS, Add("lab-array"));
  EXPECT_EQ((std::vector<std::string>{"lab-array"}), ArrayKeys());
  EXPECT_EQ(sim_.Url(), StringValue(ArrayPath("lab-array"), "URL"));

  uint32_t type = 0;
  const std::vector<uint8_t> blob = ApiKeyBytes("lab-array", &type);
  EXPECT_EQ(platform::kRegBinary, type);
  utility::string_t token;
  ASSERT_TRUE(UnprotectApiToken(blob, &token));
  EXPECT_EQ(Token(), Narrow(token));
  const std::string clear = Token();
  EXPECT_EQ(blob.end(), std::search(blob.begin(), blob.end(), clear.begin(), clear.end()));
  EXPECT_TRUE(log_.LinesContaining(Token()).empty());
  EXPECT_TRUE(log_.LinesContaining("admin-password").empty());
  EXPECT_EQ(1u, log_.LinesContaining("ENTERING: AddKovaArray() with Parameters: Name=lab-array, "
                                     "URL=" + sim_.Url() + ", Username=admin, Password hidden")
                    .size());
  // The echo went to the address before the port, with the fixed payload.
  EXPECT_EQ((std::vector<uint32_t>{FakeIcmpEcho::Address("127.0.0.1")}), echo_.pinged);
  EXPECT_EQ(1000u, echo_.last_timeout_ms);
}

TEST_F(ArrayAddTest, ANameInUseIsRefusedBeforeAnyTrafficWhateverItsCase) {
  ASSERT_EQ(RC_SUCCESS, Add("lab"));
  sim_.ClearRequests();
  echo_.pinged.clear();
  EXPECT_EQ(RC_NAME_IN_USE, Add("lab"));
  // The registry folds case: "LAB" would land in the key of "lab".
  EXPECT_EQ(RC_NAME_IN_USE, Add("LAB"));
  EXPECT_TRUE(sim_.Requests().empty());
  EXPECT_TRUE(echo_.pinged.empty());
  EXPECT_EQ((std::vector<std::string>{"lab"}), ArrayKeys());
}

TEST_F(ArrayAddTest, NamesThatCannotBeAKeyAreInvalidArguments) {
  EXPECT_EQ(RC_INVALID_ARGUMENT, Add(""));
  EXPECT_EQ(RC_INVALID_ARGUMENT, Add("a\\b"));
  EXPECT_EQ(RC_INVALID_ARGUMENT, Add("\\"));
  ExpectNothingStoredOrSent();
}

TEST_F(ArrayAddTest, AnAddressThatDoesNotAnswerEchoIsCode10AndWritesNothing) {
  echo_.answers = false;
  EXPECT_EQ(RC_ARRAY_UNREACHABLE, Add("quiet"));
  ExpectNothingStoredOrSent();
  EXPECT_EQ(1u, echo_.pinged.size());
  EXPECT_EQ(1u, log_.LinesContaining("Exiting: AddKovaArray()").size());
}

TEST_F(ArrayAddTest, AUrlTooLongToReadBackIsRefusedBeforeAnyTraffic) {
  const utility::string_t url = U("https://") + utility::string_t(504, U('a'));
  EXPECT_EQ(RC_INVALID_URL, AddKovaArray(U("long"), url, U("admin"), U("admin-password")));
  EXPECT_TRUE(echo_.pinged.empty());
  ExpectNothingStoredOrSent();
}

TEST_F(ArrayAddTest, AFailedVersionQueryIsCode11) {
  sim_.InjectFault(StatusFault("GET", "/api/api_version", 500, "{\"msg\": \"busy\"}"));
  EXPECT_EQ(RC_REST_UNREACHABLE, Add("busy"));
  EXPECT_TRUE(ArrayKeys().empty());

  const utility::string_t closed = U("https://127.0.0.1:1");
  EXPECT_EQ(RC_REST_UNREACHABLE, AddKovaArray(U("closed"), closed, U("admin"), U("x")));
  EXPECT_TRUE(ArrayKeys().empty());
}

TEST_F(ArrayAddTest, NoSharedVersionIsCode17) {
  sim_.SetVersions({"1.0", "2.0"});
  EXPECT_EQ(RC_INCOMPATIBLE_VERSION, Add("old"));
  EXPECT_TRUE(ArrayKeys().empty());
  EXPECT_EQ(1u, log_.LinesContaining("E Kova.RegTool Implementation Incompatible REST Version")
                    .size());
  for (const auto& request : sim_.Requests()) {
    EXPECT_EQ(std::string::npos, request.target.find("apitoken")) << "no token is asked for";
  }
}

TEST_F(ArrayAddTest, RefusedCredentialsAre9AndOtherTokenFailures12) {
  EXPECT_EQ(RC_INVALID_CREDENTIALS, Add("lab", "wrong-password"));
  // Only the array's exact answer counts as refused credentials.
  sim_.InjectFault(StatusFault("POST", "/auth/apitoken", 400, "{\"msg\": \"Invalid credentials\"}"));
  EXPECT_EQ(RC_SESSION_FAILED, Add("lab"));
  sim_.ClearFaults();
  sim_.InjectFault(StatusFault("POST", "/auth/apitoken", 200, "{\"api_token\": \"\"}"));
  EXPECT_EQ(RC_SESSION_FAILED, Add("lab"));
  EXPECT_TRUE(ArrayKeys().empty());
  EXPECT_TRUE(log_.LinesContaining("wrong-password").empty());
}

TEST_F(ArrayAddTest, AStoreThatFailsLeavesNoHalfWrittenArray) {
  registry_->fail_set_value.insert("URL");
  EXPECT_EQ(RC_SET_VALUE_FAILED, Add("lab"));
  EXPECT_TRUE(ArrayKeys().empty()) << "no array without its address";
  registry_->fail_set_value = {"APIKey"};
  EXPECT_EQ(RC_SET_VALUE_FAILED, Add("lab"));
  EXPECT_TRUE(ArrayKeys().empty()) << "no array without its token";
  registry_->fail_set_value.clear();
  registry_->fail_create.insert(ArrayPath("lab"));
  EXPECT_EQ(8u, Add("lab"));
  EXPECT_TRUE(ArrayKeys().empty());
}

TEST_F(ArrayAddTest, ATokenThatCannotBeProtectedIsAFailureAndStoresNothing) {
  if (const char* reason = ScopedStateDir::NoOtherMachine()) GTEST_SKIP() << reason;
  TempDir dir;
  std::ofstream(dir.path() / "file") << "not a folder";
  ScopedStateDir restore;
  ScopedStateDir::Point((dir.path() / "file" / "state").string());  // no machine key possible
  EXPECT_EQ(RC_SET_VALUE_FAILED, Add("lab"));
  EXPECT_TRUE(ArrayKeys().empty()) << "an array is never stored without its token";
}

}  // namespace
