// The provider's configuration readers against the machine's own registry
// (a real hive in a private state folder on POSIX, the Windows registry on
// Windows), with the lines they log.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "library/config/registry_readers.h"
#include "library/config/token_protection.h"
#include "library/log/logger.h"
#include "library/registry_layout.h"
#include "platform/registry.h"
#include "tests/support/native_registry.h"
#include "tests/support/scoped_state_dir.h"
#include "tests/support/scoped_test_log.h"
#include "tests/support/wide_text.h"

namespace {

using platform::RegistryStatus;
using Lines = std::vector<std::string>;

const std::string kRoot = kova::kProviderRootKey;

// Protected under another machine's key where a state folder can play one;
// on Windows, bytes that are no protected blob at all.
std::vector<uint8_t> BlobThisMachineCannotUnprotect() {
  std::vector<uint8_t> blob = {'n', 'o', ' ', 'b', 'l', 'o', 'b'};
  if (ScopedStateDir::NoOtherMachine() == nullptr) {
    ScopedStateDir other_machine;
    EXPECT_TRUE(ProtectApiToken(Wide("other"), &blob));
  }
  return blob;
}

class RegistryReadersTest : public testing::Test {
 protected:
  // The machine's own registry (on Windows it outlives the test, so each
  // starts and ends without the system's keys).
  void SetUp() override {
    registry_ = MachineNativeRegistry().open(state_.str(), [] { return true; });
    ClearSystemKeys();
    platform::SetMachineRegistry(registry_);
    Utilities::ResetRegistryDWORDCache();
  }
  void TearDown() override {
    platform::SetMachineRegistry(nullptr);
    Utilities::ResetRegistryDWORDCache();
    ClearSystemKeys();
  }
  void ClearSystemKeys() {
    const RegistryStatus status =
        registry_->DeleteTree(platform::RegistryRoot::kLocalMachine, "SOFTWARE\\KovaStorage");
    ASSERT_TRUE(status == RegistryStatus::kOk || status == RegistryStatus::kNotFound);
  }

  std::unique_ptr<platform::RegistryKey> Key(const std::string& path) {
    std::unique_ptr<platform::RegistryKey> key;
    EXPECT_EQ(RegistryStatus::kOk, registry_->CreateKey(platform::RegistryRoot::kLocalMachine, path,
                                                    platform::KeyProtection::kAdministratorsOnly, &key));
    return key;
  }

  static void SetBytes(platform::RegistryKey& key, const char* name, uint32_t type,
                       std::vector<uint8_t> bytes) {
    ASSERT_EQ(RegistryStatus::kOk,
              key.SetValue(name, type, bytes.data(), static_cast<uint32_t>(bytes.size())));
  }

  // "<level letter> <message>" of each line logged under the provider's tag.
  Lines Logged() const {
    Lines lines;
    for (const std::string& line : log_.LinesContaining(" Kova.VssProvider ")) {
      const size_t tag = line.find(" Kova.VssProvider ");
      lines.push_back(line.substr(tag - 1, 1) + " " + line.substr(tag + 18));
    }
    return lines;
  }

  ScopedStateDir state_;
  ScopedTestLog log_{LOG_TRACE};
  std::shared_ptr<platform::Registry> registry_;
};

TEST_F(RegistryReadersTest, NoArrayKeysAreReportedAsNone) {
  Key(kRoot);
  std::vector<utility::string_t> arrays;
  Utilities::GetLumenstacks(arrays);
  EXPECT_TRUE(arrays.empty());
  EXPECT_EQ((Lines{"D ENTERING: Utilities::GetLumenstacks()", "I No Subkeys found",
                   "I 0 array(s) configured in registry", "D EXITING: Utilities::GetLumenstacks()"}),
            Logged());
}

TEST_F(RegistryReadersTest, AMissingRootKeyIsAnErrorWithNoArrays) {
  std::vector<utility::string_t> arrays;
  Utilities::GetLumenstacks(arrays);
  EXPECT_TRUE(arrays.empty());
  EXPECT_EQ((Lines{"D ENTERING: Utilities::GetLumenstacks()", "E Failed to open the registry key",
                   "I 0 array(s) configured in registry", "D EXITING: Utilities::GetLumenstacks()"}),
            Logged());
}

TEST_F(RegistryReadersTest, ArraysAreAppendedInEnumerationOrder) {
  for (const char* name : {"beta", "Alpha", "Array_2", "Array2"}) Key(kRoot + name);
  std::vector<utility::string_t> arrays = WideList({"earlier"});
  Utilities::GetLumenstacks(arrays);
  EXPECT_EQ(WideList({"earlier", "Alpha", "Array2", "Array_2", "beta"}), arrays);
  EXPECT_EQ("I 5 array(s) configured in registry", Logged().at(1));
}

TEST_F(RegistryReadersTest, ANameTooLongForTheBufferEndsTheList) {
  if (std::string(MachineNativeRegistry().name) == "Windows") {
    GTEST_SKIP() << "the Windows registry refuses key names of more than 255 characters";
  }
  Key(kRoot + "aaa");
  Key(kRoot + std::string(256, 'z'));
  Key(kRoot + std::string(255, 'y'));
  std::vector<utility::string_t> arrays;
  Utilities::GetLumenstacks(arrays);
  EXPECT_EQ(WideList({"aaa", std::string(255, 'y')}), arrays);
  EXPECT_EQ((Lines{"D ENTERING: Utilities::GetLumenstacks()", "E Error enumerating registry keys",
                   "I 2 array(s) configured in registry", "D EXITING: Utilities::GetLumenstacks()"}),
            Logged());
}

TEST_F(RegistryReadersTest, CredentialsAreTheUrlAndTheUnprotectedToken) {
  const std::string token = "3bdf3b60-f0c0-fa8a-83c1-b794ba8f562c";
  auto array = Key(kRoot + "Array1");
  ASSERT_EQ(RegistryStatus::kOk, platform::WriteStringValue(*array, "URL", "https://192.0.2.7"));
  std::vector<uint8_t> blob;
  ASSERT_TRUE(ProtectApiToken(Wide(token), &blob));
  SetBytes(*array, "APIKey", platform::kRegBinary, blob);

  utility::string_t url, api_token;
  Utilities::GetLumenstackCredentials(Wide("array1"), url, api_token);
  EXPECT_EQ(Wide("https://192.0.2.7"), url);
  EXPECT_EQ(Wide(token), api_token);
  EXPECT_EQ((Lines{"D ENTERING: Utilities::GetLumenstackCredentials()",
                   "I Retrieved Key and URL(https://192.0.2.7) for array \"array1\"",
                   "D EXITING: Utilities::GetLumenstackCredentials()"}),
            Logged());
  EXPECT_EQ(std::string::npos, log_.Contents().find(token)) << "the clear token must not be logged";
}

TEST_F(RegistryReadersTest, EachCredentialThatCannotBeReadStaysAsItWas) {
  auto array = Key(kRoot + "Array1");
  utility::string_t url = Wide("kept-url"), api_token = Wide("kept-token");
  Utilities::GetLumenstackCredentials(Wide("Nope"), url, api_token);
  EXPECT_EQ(Wide("kept-url"), url);
  EXPECT_EQ(Wide("kept-token"), api_token);

  Utilities::GetLumenstackCredentials(Wide("Array1"), url, api_token);  // no values at all
  SetBytes(*array, "APIKey", platform::kRegBinary, {});
  ASSERT_EQ(RegistryStatus::kOk, platform::WriteStringValue(*array, "URL", ""));
  Utilities::GetLumenstackCredentials(Wide("Array1"), url, api_token);
  ASSERT_EQ(RegistryStatus::kOk, platform::WriteStringValue(*array, "URL", std::string(2083, 'u')));
  Utilities::GetLumenstackCredentials(Wide("Array1"), url, api_token);
  EXPECT_EQ(Wide(std::string(2083, 'u')), url) << "2083 characters fill the 4168-byte buffer";
  url = Wide("kept-url");
  ASSERT_EQ(RegistryStatus::kOk, platform::WriteStringValue(*array, "URL", std::string(2084, 'u')));
  const std::vector<uint8_t> foreign = BlobThisMachineCannotUnprotect();
  SetBytes(*array, "APIKey", platform::kRegBinary, foreign);
  Utilities::GetLumenstackCredentials(Wide("Array1"), url, api_token);
  EXPECT_EQ(Wide("kept-url"), url);
  EXPECT_EQ(Wide("kept-token"), api_token);

  const Lines logged = Logged();
  const Lines errors_and_results = {
      "E Error opening registry key",
      "E Error reading API token size from registry",
      "I Retrieved Key and URL(kept-url) for array \"Array1\"",
      "E Error reading API token size from registry",
      "I Retrieved Key and URL(kept-url) for array \"Array1\"",
      "E Error reading API token size from registry",
      "I Retrieved Key and URL(" + std::string(2083, 'u') + ") for array \"Array1\"",
      "E Error decrypting api token",
      "I Retrieved Key and URL(kept-url) for array \"Array1\""};
  Lines seen;
  for (const std::string& line : logged) {
    if (line[0] != 'D') seen.push_back(line);
  }
  EXPECT_EQ(errors_and_results, seen);
}

TEST_F(RegistryReadersTest, RestVersionFitsIn79Characters) {
  EXPECT_EQ(Wide(""), Utilities::GetRestAPIVersion()) << "no root key";
  auto root = Key(kRoot);
  EXPECT_EQ(Wide(""), Utilities::GetRestAPIVersion()) << "no value";
  ASSERT_EQ(RegistryStatus::kOk, platform::WriteStringValue(*root, "RestVersion", "1.1"));
  EXPECT_EQ(Wide("1.1"), Utilities::GetRestAPIVersion());
  ASSERT_EQ(RegistryStatus::kOk, platform::WriteStringValue(*root, "RestVersion", std::string(79, '9')));
  EXPECT_EQ(Wide(std::string(79, '9')), Utilities::GetRestAPIVersion());
  ASSERT_EQ(RegistryStatus::kOk, platform::WriteStringValue(*root, "RestVersion", std::string(80, '9')));
  EXPECT_EQ(Wide(""), Utilities::GetRestAPIVersion());
  for (const std::string& line : Logged()) {
    EXPECT_TRUE(line == "D ENTERING: Utilities::GetRestAPIVersion()" ||
                line == "D EXITING: Utilities::GetRestAPIVersion()")
        << line;
  }
}

TEST_F(RegistryReadersTest, DeleteSnapsIsClampedAndCachedOnlyOnceRead) {
  using Utilities::CachedSetting;
  EXPECT_EQ(0u, Utilities::GetRegistryDWORD(CachedSetting::kDeleteSnaps)) << "no root key";
  EXPECT_EQ((Lines{"D EXITING: Utilities::GetRegistryDWORD()"}), Logged());
  auto root = Key(kRoot);
  SetBytes(*root, "DeleteSnaps", platform::kRegBinary, {1, 0, 0, 0, 0});
  EXPECT_EQ(0u, Utilities::GetRegistryDWORD(CachedSetting::kDeleteSnaps)) << "longer than 4 bytes";
  SetBytes(*root, "DeleteSnaps", platform::kRegDword, {7, 0, 0, 0});
  EXPECT_EQ(3u, Utilities::GetRegistryDWORD(CachedSetting::kDeleteSnaps)) << "read again, above 3";
  SetBytes(*root, "DeleteSnaps", platform::kRegDword, {1, 0, 0, 0});
  EXPECT_EQ(3u, Utilities::GetRegistryDWORD(CachedSetting::kDeleteSnaps)) << "cached";

  Utilities::ResetRegistryDWORDCache();
  EXPECT_EQ(1u, Utilities::GetRegistryDWORD(CachedSetting::kDeleteSnaps));
  Utilities::ResetRegistryDWORDCache();
  SetBytes(*root, "DeleteSnaps", platform::kRegDword, {0, 0, 0, 0x80});
  EXPECT_EQ(3u, Utilities::GetRegistryDWORD(CachedSetting::kDeleteSnaps)) << "compared unsigned";
  Utilities::ResetRegistryDWORDCache();
  ASSERT_EQ(RegistryStatus::kOk, platform::WriteStringValue(*root, "DeleteSnaps", "0"));
  EXPECT_EQ(3u, Utilities::GetRegistryDWORD(CachedSetting::kDeleteSnaps))
      << "text is read as its raw bytes: '0', 0, 0, 0 is 48";
}

TEST_F(RegistryReadersTest, EradicateVolumesZeroIsCachedForTheProcess) {
  using Utilities::CachedSetting;
  auto root = Key(kRoot);
  EXPECT_EQ(1u, Utilities::GetRegistryDWORD(CachedSetting::kEradicateVolumes)) << "absent";
  SetBytes(*root, "EradicateVolumes", platform::kRegDword, {0, 0, 0, 0});
  EXPECT_EQ(0u, Utilities::GetRegistryDWORD(CachedSetting::kEradicateVolumes));
  ASSERT_EQ(RegistryStatus::kOk, root->DeleteValue("EradicateVolumes"));
  EXPECT_EQ(0u, Utilities::GetRegistryDWORD(CachedSetting::kEradicateVolumes)) << "until restart";
  EXPECT_EQ(0u, Utilities::GetRegistryDWORD(CachedSetting::kDeleteSnaps)) << "its own cache";

  Utilities::ResetRegistryDWORDCache();
  SetBytes(*root, "EradicateVolumes", platform::kRegDword, {0, 2, 0, 0});
  EXPECT_EQ(1u, Utilities::GetRegistryDWORD(CachedSetting::kEradicateVolumes));
}

TEST_F(RegistryReadersTest, BatchSnapshotsIsOffUnlessSetAndCachedOnceRead) {
  using Utilities::CachedSetting;
  EXPECT_EQ(0u, Utilities::GetRegistryDWORD(CachedSetting::kBatchSnapshots)) << "no root key";
  auto root = Key(kRoot);
  EXPECT_EQ(0u, Utilities::GetRegistryDWORD(CachedSetting::kBatchSnapshots)) << "absent";
  SetBytes(*root, "BatchSnapshots", platform::kRegDword, {1, 0, 0, 0, 0});
  EXPECT_EQ(0u, Utilities::GetRegistryDWORD(CachedSetting::kBatchSnapshots)) << "longer than 4 bytes";
  SetBytes(*root, "BatchSnapshots", platform::kRegDword, {0, 0, 1, 0});
  EXPECT_EQ(1u, Utilities::GetRegistryDWORD(CachedSetting::kBatchSnapshots)) << "any non-zero value";
  SetBytes(*root, "BatchSnapshots", platform::kRegDword, {0, 0, 0, 0});
  EXPECT_EQ(1u, Utilities::GetRegistryDWORD(CachedSetting::kBatchSnapshots)) << "until restart";
  EXPECT_EQ(0u, Utilities::GetRegistryDWORD(CachedSetting::kDeleteSnaps)) << "its own cache";

  Utilities::ResetRegistryDWORDCache();
  EXPECT_EQ(0u, Utilities::GetRegistryDWORD(CachedSetting::kBatchSnapshots));
  SetBytes(*root, "BatchSnapshots", platform::kRegDword, {1, 0, 0, 0});
  EXPECT_EQ(0u, Utilities::GetRegistryDWORD(CachedSetting::kBatchSnapshots)) << "0 is cached too";
}

}  // namespace
