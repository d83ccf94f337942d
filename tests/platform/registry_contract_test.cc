// The registry contract of platform/registry.h, run against the in-memory
// registry and the machine's own store alike (the SQLite hive, or the
// Windows registry) so that the fake cannot drift from the real store.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/memory_registry.h"
#include "platform/registry.h"
#include "tests/support/native_registry.h"
#include "tests/support/scoped_state_dir.h"
#include "tests/support/test_environment.h"

namespace platform {
namespace {

using Factory = std::function<std::shared_ptr<Registry>(
    const std::string& dir, std::function<bool()> is_administrator)>;

struct Implementation {
  const char* name;
  Factory make;
  const char* no_caller_switch;  // see NativeRegistry
};

const Implementation kImplementations[] = {
    {"Memory",
     [](const std::string&, std::function<bool()> admin) {
       return CreateMemoryRegistry(std::move(admin));
     },
     ""},
    {MachineNativeRegistry().name, MachineNativeRegistry().open,
     MachineNativeRegistry().no_caller_switch},
};

void PrintTo(const Implementation& implementation, std::ostream* out) {
  *out << implementation.name;
}

constexpr RegistryRoot kHklm = RegistryRoot::kLocalMachine;
constexpr char kRoot[] = "SOFTWARE\\KovaStorage\\VSS\\Provider\\";

std::vector<uint8_t> Bytes(std::initializer_list<int> list) {
  std::vector<uint8_t> bytes;
  for (int b : list) bytes.push_back(static_cast<uint8_t>(b));
  return bytes;
}

class RegistryContract : public testing::TestWithParam<Implementation> {
 protected:
  // The machine's registry outlives a test: each starts and ends without
  // the system's keys.
  void SetUp() override {
    registry_ = GetParam().make(state_.str(), [this] { return administrator_; });
    ClearSystemKeys();
  }
  void TearDown() override { ClearSystemKeys(); }
  void ClearSystemKeys() {
    const RegistryStatus status = registry_->DeleteTree(kHklm, "SOFTWARE\\KovaStorage");
    ASSERT_TRUE(status == RegistryStatus::kOk || status == RegistryStatus::kNotFound);
  }

  std::unique_ptr<RegistryKey> Create(const std::string& path,
                                      KeyProtection protection = KeyProtection::kDefault) {
    std::unique_ptr<RegistryKey> key;
    EXPECT_EQ(RegistryStatus::kOk, registry_->CreateKey(kHklm, path, protection, &key)) << path;
    return key;
  }

  RegistryStatus Open(const std::string& path, std::unique_ptr<RegistryKey>* key = nullptr) {
    std::unique_ptr<RegistryKey> ignored;
    return registry_->OpenKey(kHklm, path, key ? key : &ignored);
  }

  static std::vector<std::string> SubKeys(RegistryKey& key) {
    std::vector<std::string> names;
    std::string name;
    for (uint32_t i = 0; key.EnumSubKey(i, &name) == RegistryStatus::kOk; ++i) names.push_back(name);
    return names;
  }

  static std::vector<std::string> Values(RegistryKey& key) {
    std::vector<std::string> names;
    std::string name;
    for (uint32_t i = 0; key.EnumValue(i, &name) == RegistryStatus::kOk; ++i) names.push_back(name);
    return names;
  }

  // The value's stored type and bytes, read with a buffer of exactly its size.
  static std::pair<uint32_t, std::vector<uint8_t>> Stored(RegistryKey& key, const std::string& name) {
    uint32_t size = 0;
    uint32_t type = kRegNone;
    EXPECT_EQ(RegistryStatus::kOk, key.QueryValue(name, &type, nullptr, &size));
    std::vector<uint8_t> data(size);
    EXPECT_EQ(RegistryStatus::kOk, key.QueryValue(name, nullptr, data.data(), &size));
    return {type, data};
  }

  static void Set(RegistryKey& key, const std::string& name, uint32_t type,
                  const std::vector<uint8_t>& data) {
    ASSERT_EQ(RegistryStatus::kOk,
              key.SetValue(name, type, data.data(), static_cast<uint32_t>(data.size())));
  }

  ScopedStateDir state_;
  bool administrator_ = true;
  std::shared_ptr<Registry> registry_;
};

TEST_P(RegistryContract, KeysAreCreatedWithTheirParentsAndOpenedByAnySpelling) {
  EXPECT_EQ(RegistryStatus::kNotFound, Open(kRoot));
  Create(kRoot);
  EXPECT_EQ(RegistryStatus::kOk, Open("SOFTWARE\\KovaStorage\\VSS\\Provider"));
  EXPECT_EQ(RegistryStatus::kOk, Open("software\\KOVASTORAGE\\vss\\provider\\"));
  EXPECT_EQ(RegistryStatus::kOk, Open("SOFTWARE\\\\KovaStorage\\VSS"));
  EXPECT_EQ(RegistryStatus::kOk, Open(""));
  EXPECT_EQ(RegistryStatus::kNotFound, Open("SOFTWARE\\KovaStorage\\VSS\\Provider\\Nope"));

  std::unique_ptr<RegistryKey> classes;
  EXPECT_EQ(RegistryStatus::kNotFound,
            registry_->OpenKey(RegistryRoot::kClassesRoot, kRoot, &classes))
      << "each root has its own keys";
}

TEST_P(RegistryContract, NamesKeepTheirFirstSpelling) {
  Create(std::string(kRoot) + "ArrayOne");
  auto again = Create(std::string(kRoot) + "ARRAYONE");
  auto root = Create("software\\kovastorage\\vss\\provider");
  EXPECT_EQ(std::vector<std::string>{"ArrayOne"}, SubKeys(*root));

  // The machine's own store holds other keys beside ours.
  std::unique_ptr<RegistryKey> software;
  ASSERT_EQ(RegistryStatus::kOk, Open("SOFTWARE", &software));
  std::vector<std::string> ours;
  for (const std::string& name : SubKeys(*software)) {
    if (name.size() == 11 && std::equal(name.begin(), name.end(), "KOVASTORAGE", [](char a, char b) {
          return std::toupper(static_cast<unsigned char>(a)) == b;
        })) {
      ours.push_back(name);
    }
  }
  EXPECT_EQ(std::vector<std::string>{"KovaStorage"}, ours);

  ASSERT_EQ(RegistryStatus::kOk, WriteStringValue(*root, "RestVersion", "1.0"));
  ASSERT_EQ(RegistryStatus::kOk, WriteStringValue(*root, "RESTVERSION", "1.1"));
  EXPECT_EQ(std::vector<std::string>{"RestVersion"}, Values(*root));
  std::string text;
  ASSERT_TRUE(ReadStringValue(*root, "restversion", 160, &text));
  EXPECT_EQ("1.1", text);
}

TEST_P(RegistryContract, EnumerationIsSortedAsTheRegistrySortsNames) {
  if (std::string(GetParam().name) == "Windows" && RunningUnderWine()) {
    GTEST_SKIP() << "Wine enumerates names folded to lower case (\"_x\" first), Windows to upper case";
  }
  auto root = Create(kRoot);
  for (const char* name : {"beta", "Alpha", "gamma", "A_B", "AB", "_x", "Zed"}) {
    Create(std::string(kRoot) + name);
    Set(*root, name, kRegDword, Bytes({1, 0, 0, 0}));
  }
  // Upper-case folding puts "_" after every letter.
  const std::vector<std::string> expected = {"AB", "Alpha", "A_B", "beta", "gamma", "Zed", "_x"};
  EXPECT_EQ(expected, SubKeys(*root));
  EXPECT_EQ(expected, Values(*root));

  uint32_t count = 0;
  ASSERT_EQ(RegistryStatus::kOk, root->CountSubKeys(&count));
  EXPECT_EQ(7u, count);
  std::string name;
  EXPECT_EQ(RegistryStatus::kNoMoreItems, root->EnumSubKey(7, &name));
  EXPECT_EQ(RegistryStatus::kNoMoreItems, root->EnumValue(7, &name));
}

TEST_P(RegistryContract, QueryReportsSizesAndRefusesSmallBuffers) {
  auto root = Create(kRoot);
  const std::string eighty(80, 'v');
  ASSERT_EQ(RegistryStatus::kOk, WriteStringValue(*root, "RestVersion", eighty));

  uint32_t type = kRegNone;
  uint32_t size = 0;
  EXPECT_EQ(RegistryStatus::kOk, root->QueryValue("RestVersion", &type, nullptr, &size));
  EXPECT_EQ(kRegSz, type);
  EXPECT_EQ(162u, size);

  std::vector<uint8_t> buffer(200);
  size = 160;
  EXPECT_EQ(RegistryStatus::kMoreData, root->QueryValue("RestVersion", nullptr, buffer.data(), &size));
  EXPECT_EQ(162u, size) << "kMoreData reports the size needed";
  std::string text = "unchanged";
  EXPECT_FALSE(ReadStringValue(*root, "RestVersion", 160, &text));
  EXPECT_EQ("unchanged", text);
  EXPECT_TRUE(ReadStringValue(*root, "RestVersion", 162, &text));
  EXPECT_EQ(eighty, text);

  ASSERT_EQ(RegistryStatus::kOk, WriteStringValue(*root, "RestVersion", std::string(79, 'v')));
  EXPECT_TRUE(ReadStringValue(*root, "RestVersion", 160, &text)) << "79 characters fit in 160 bytes";

  EXPECT_EQ(RegistryStatus::kNotFound, root->QueryValue("Missing", nullptr, nullptr, &size));
  EXPECT_EQ(RegistryStatus::kFailed, root->QueryValue("RestVersion", nullptr, buffer.data(), nullptr));
}

TEST_P(RegistryContract, DwordReadsNeedTheValueToFitInFourBytes) {
  auto root = Create(kRoot);
  uint8_t dword[4] = {0xAA, 0xAA, 0xAA, 0xAA};
  uint32_t size = 4;

  Set(*root, "DeleteSnaps", kRegDword, Bytes({7, 0, 0, 0}));
  EXPECT_EQ(RegistryStatus::kOk, root->QueryValue("DeleteSnaps", nullptr, dword, &size));
  EXPECT_EQ(7, dword[0]);

  Set(*root, "DeleteSnaps", kRegBinary, Bytes({1, 0, 0, 0, 0}));
  size = 4;
  EXPECT_EQ(RegistryStatus::kMoreData, root->QueryValue("DeleteSnaps", nullptr, dword, &size));
  EXPECT_EQ(5u, size);

  Set(*root, "DeleteSnaps", kRegBinary, Bytes({2, 0}));
  size = 4;
  EXPECT_EQ(RegistryStatus::kOk, root->QueryValue("DeleteSnaps", nullptr, dword, &size));
  EXPECT_EQ(2u, size);
  EXPECT_EQ(2, dword[0]);
}

TEST_P(RegistryContract, ValuesOfEveryTypeKeepTheirWindowsBytes) {
  auto key = Create(std::string(kRoot) + "Array");
  ASSERT_EQ(RegistryStatus::kOk, WriteStringValue(*key, "URL", "1.1"));
  EXPECT_EQ(std::make_pair(uint32_t{kRegSz}, Bytes({'1', 0, '.', 0, '1', 0, 0, 0})), Stored(*key, "URL"));

  const std::vector<uint8_t> expand = EncodeRegistryString("%ProgramData%\\Gr\xC3\xBC\xC3\x9F" "e");
  EXPECT_EQ(Bytes({'%', 0, 'P', 0}), std::vector<uint8_t>(expand.begin(), expand.begin() + 4));
  EXPECT_EQ(Bytes({0xFC, 0, 0xDF, 0, 'e', 0, 0, 0}), std::vector<uint8_t>(expand.end() - 8, expand.end()));
  Set(*key, "Path", kRegExpandSz, expand);
  EXPECT_EQ(std::make_pair(uint32_t{kRegExpandSz}, expand), Stored(*key, "Path"));

  Set(*key, "EradicateVolumes", kRegDword, Bytes({0x78, 0x56, 0x34, 0x12}));
  EXPECT_EQ(std::make_pair(uint32_t{kRegDword}, Bytes({0x78, 0x56, 0x34, 0x12})),
            Stored(*key, "EradicateVolumes"));

  const std::vector<uint8_t> binary = Bytes({0, 1, 0, 0xFF, 0x80, 0});
  Set(*key, "APIKey", kRegBinary, binary);
  EXPECT_EQ(std::make_pair(uint32_t{kRegBinary}, binary), Stored(*key, "APIKey"));

  Set(*key, "Empty", kRegBinary, {});
  EXPECT_EQ(std::make_pair(uint32_t{kRegBinary}, std::vector<uint8_t>{}), Stored(*key, "Empty"));

  Set(*key, "APIKey", kRegSz, EncodeRegistryString("now text"));
  EXPECT_EQ(kRegSz, Stored(*key, "APIKey").first) << "a rewrite replaces the type too";
}

TEST_P(RegistryContract, DeleteValueAndDeleteTree) {
  auto root = Create(kRoot);
  auto array = Create(std::string(kRoot) + "Array\\Deep");
  Set(*array, "URL", kRegSz, EncodeRegistryString("x"));
  Create("SOFTWARE\\KovaStorage\\Sibling");

  EXPECT_EQ(RegistryStatus::kNotFound, array->DeleteValue("Nope"));
  EXPECT_EQ(RegistryStatus::kOk, array->DeleteValue("url"));
  EXPECT_EQ(RegistryStatus::kNotFound, array->DeleteValue("URL"));
  Set(*array, "URL", kRegSz, EncodeRegistryString("x"));

  EXPECT_EQ(RegistryStatus::kNotFound, registry_->DeleteTree(kHklm, "SOFTWARE\\Nope"));
  EXPECT_EQ(RegistryStatus::kAccessDenied, registry_->DeleteTree(kHklm, "\\"));
  EXPECT_EQ(RegistryStatus::kOk, registry_->DeleteTree(kHklm, "software\\kovastorage\\vss"));
  EXPECT_EQ(RegistryStatus::kNotFound, Open(kRoot));
  EXPECT_EQ(RegistryStatus::kOk, Open("SOFTWARE\\KovaStorage\\Sibling"));

  // Handles to deleted keys see them gone.
  uint32_t size = 0;
  uint32_t count = 0;
  std::string name;
  EXPECT_EQ(RegistryStatus::kNotFound, array->QueryValue("URL", nullptr, nullptr, &size));
  EXPECT_EQ(RegistryStatus::kNotFound, root->CountSubKeys(&count));
  EXPECT_EQ(RegistryStatus::kNotFound, root->EnumSubKey(0, &name));
  EXPECT_EQ(RegistryStatus::kNotFound, root->EnumValue(0, &name));
  EXPECT_EQ(RegistryStatus::kNotFound, WriteStringValue(*root, "Logging", "Enabled"));
  EXPECT_EQ(RegistryStatus::kNotFound, Open(kRoot)) << "a write through a stale handle must not revive the key";
}

TEST_P(RegistryContract, AdministratorsOnlyKeysRefuseOtherCallers) {
  if (*GetParam().no_caller_switch) GTEST_SKIP() << GetParam().no_caller_switch;
  const std::string array = std::string(kRoot) + "Array";
  auto created = Create(array, KeyProtection::kAdministratorsOnly);
  Create(std::string(kRoot) + "Open");

  administrator_ = false;
  std::unique_ptr<RegistryKey> key;
  EXPECT_EQ(RegistryStatus::kAccessDenied, Open(array));
  EXPECT_EQ(RegistryStatus::kAccessDenied,
            registry_->CreateKey(kHklm, array, KeyProtection::kDefault, &key))
      << "an existing key keeps its protection";
  EXPECT_EQ(RegistryStatus::kAccessDenied, registry_->DeleteTree(kHklm, kRoot));
  std::unique_ptr<RegistryKey> root;
  ASSERT_EQ(RegistryStatus::kOk, Open(kRoot, &root));
  EXPECT_EQ((std::vector<std::string>{"Array", "Open"}), SubKeys(*root)) << "names stay visible";
  EXPECT_EQ(RegistryStatus::kOk, Open(std::string(kRoot) + "Open"));
  EXPECT_EQ(RegistryStatus::kOk, registry_->CreateKey(kHklm, std::string(kRoot) + "Mine",
                                                      KeyProtection::kAdministratorsOnly, &key))
      << "the creator gets a handle to the key it made";
  EXPECT_EQ(RegistryStatus::kOk, WriteStringValue(*key, "URL", "u"));

  administrator_ = true;
  EXPECT_EQ(RegistryStatus::kOk, registry_->CreateKey(kHklm, array, KeyProtection::kDefault, &key));
  administrator_ = false;
  EXPECT_EQ(RegistryStatus::kAccessDenied, Open(array)) << "CreateKey of an existing key changed nothing";
  administrator_ = true;
  EXPECT_EQ(RegistryStatus::kOk, registry_->DeleteTree(kHklm, kRoot));
}

INSTANTIATE_TEST_SUITE_P(BothImplementations, RegistryContract,
                         testing::ValuesIn(kImplementations),
                         [](const testing::TestParamInfo<Implementation>& param_info) {
                           return std::string(param_info.param.name);
                         });

}  // namespace
}  // namespace platform
