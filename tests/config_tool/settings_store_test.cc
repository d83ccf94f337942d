// The provider key's own settings: start-up defaults and the logging switch.
#include <gtest/gtest.h>

#include "OstaraRegTool/registry_values.h"
#include "OstaraRegTool/result_codes.h"
#include "OstaraRegTool/settings_store.h"
#include "tests/config_tool/tool_test_fixture.h"
#include "tests/support/wide_text.h"

namespace {

const std::string kRoot = kova::kProviderRootKey;

class SettingsStoreTest : public ToolTest {};

TEST_F(SettingsStoreTest, DefaultsFillOnlyWhatIsAbsent) {
  PutString(kRoot, "RestTimeout", "1000");
  PutString(kRoot, "Logging", "Disabled");
  ASSERT_EQ(RC_SUCCESS, CreateDefaultConfig());
  EXPECT_EQ("Disabled", StringValue(kRoot, "Logging"));
  EXPECT_EQ("1.1", StringValue(kRoot, "RestVersion"));
  EXPECT_EQ("1000", StringValue(kRoot, "RestTimeout"));
  EXPECT_EQ("2", StringValue(kRoot, "LogLevel"));

  // A present value is kept whatever its length.
  PutString(kRoot, "RestVersion", std::string(600, '9'));
  ASSERT_EQ(RC_SUCCESS, CreateDefaultConfig());
  EXPECT_EQ(std::string(600, '9'), StringValue(kRoot, "RestVersion"));
}

TEST_F(SettingsStoreTest, DefaultsCreateTheProviderKey) {
  ASSERT_EQ(RC_SUCCESS, CreateDefaultConfig());
  EXPECT_EQ("Enabled", StringValue(kRoot, "Logging"));
  EXPECT_EQ("10", StringValue(kRoot, "RestTimeout"));
}

TEST_F(SettingsStoreTest, DefaultsFailWithoutAKeyOrOnAFailedWrite) {
  registry_->fail_open.insert(kRoot);
  registry_->fail_create.insert(kRoot);
  EXPECT_EQ(RC_REGISTRY_CONFIG_FAILED, CreateDefaultConfig());
  registry_->fail_open.clear();
  registry_->fail_create.clear();

  registry_->fail_set_value.insert("RestVersion");
  EXPECT_EQ(RC_SET_VALUE_FAILED, CreateDefaultConfig());
  EXPECT_EQ("Enabled", StringValue(kRoot, "Logging"));
  EXPECT_EQ("<absent>", StringValue(kRoot, "RestTimeout")) << "later values are not visited";
}

TEST_F(SettingsStoreTest, AStoreThatCannotTellWhetherAValueExistsIsNeverOverwritten) {
  PutString(kRoot, "Logging", "Disabled");
  registry_->fail_query = true;
  EXPECT_EQ(RC_REGISTRY_CONFIG_FAILED, CreateDefaultConfig());
  registry_->fail_query = false;
  EXPECT_EQ("Disabled", StringValue(kRoot, "Logging"));
}

TEST_F(SettingsStoreTest, DisablingWritesOnlyTheSwitch) {
  PutString(kRoot, "LogLevel", "4");
  EXPECT_EQ(RC_SUCCESS, SetTracing(U("Disabled"), U("")));
  EXPECT_EQ("Disabled", StringValue(kRoot, "Logging"));
  EXPECT_EQ("4", StringValue(kRoot, "LogLevel"));
  EXPECT_EQ(RC_SUCCESS, SetTracing(U("Enabled"), U("3")));
  EXPECT_EQ("Enabled", StringValue(kRoot, "Logging"));
  EXPECT_EQ("3", StringValue(kRoot, "LogLevel"));
  EXPECT_EQ(1u, log_.LinesContaining("ENTERING: SetValue() LogLevel = 3").size());

  registry_->fail_set_value.insert("LogLevel");
  EXPECT_EQ(RC_SET_VALUE_FAILED, SetTracing(U("Enabled"), U("1")));
  EXPECT_EQ(RC_SUCCESS, SetTracing(U("enabled"), U("1"))) << "only the exact text enables";
  registry_->fail_set_value = {"Logging"};
  EXPECT_EQ(RC_SET_VALUE_FAILED, SetTracing(U("Enabled"), U("1")));
}

TEST_F(SettingsStoreTest, MissingKeyOrValuesHaveTheirCodes) {
  utility::string_t text;
  EXPECT_EQ(RC_CONFIG_NOT_FOUND, SetTracing(U("Enabled"), U("2")));
  EXPECT_EQ(RC_CONFIG_NOT_FOUND, GetLogLevel(text));
  EXPECT_EQ(U(""), GetRESTVersionFromRegistry());

  PutString(kRoot, "Build", "N/A");
  EXPECT_EQ(RC_VALUE_NOT_FOUND, GetLogLevel(text));
  RegistryKeyPtr key;
  ASSERT_EQ(platform::RegistryStatus::kOk, OpenProviderKey(&key));
  EXPECT_EQ(RC_VALUE_NOT_FOUND, GetTracing(std::move(key), text));

  PutString(kRoot, "LogLevel", "3");
  PutString(kRoot, "Logging", "Enabled");
  PutString(kRoot, "RestVersion", "1.2");
  ASSERT_EQ(RC_SUCCESS, GetLogLevel(text));
  EXPECT_EQ("3", Narrow(text));
  ASSERT_EQ(platform::RegistryStatus::kOk, OpenProviderKey(&key));
  ASSERT_EQ(RC_SUCCESS, GetTracing(std::move(key), text));
  EXPECT_EQ("Enabled", Narrow(text));
  EXPECT_EQ(U("1.2"), GetRESTVersionFromRegistry());
  PutString(kRoot, "RestVersion", std::string(512, '1'));
  EXPECT_EQ(U(""), GetRESTVersionFromRegistry()) << "too long for the 1024-byte buffer";
}

}  // namespace
