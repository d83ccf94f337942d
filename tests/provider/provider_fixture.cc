#include "tests/provider/provider_fixture.h"

#include <cpprest/json.h>

#include "library/config/registry_readers.h"
#include "library/config/token_protection.h"
#include "library/log/logger.h"
#include "library/registry_layout.h"
#include "provider/vss/kova_vss_provider_factory.h"

namespace {

std::unique_ptr<platform::RegistryKey> CreateKey(platform::Registry& registry,
                                                 const std::string& path) {
  std::unique_ptr<platform::RegistryKey> key;
  EXPECT_EQ(platform::RegistryStatus::kOk,
            registry.CreateKey(platform::RegistryRoot::kLocalMachine, path,
                               platform::KeyProtection::kDefault, &key));
  return key;
}

std::vector<std::string> NamesIn(const web::json::value& list) {
  std::vector<std::string> names;
  if (!list.is_array()) return names;
  for (const auto& item : list.as_array()) {
    names.push_back(utility::conversions::to_utf8string(item.at(U("name")).as_string()));
  }
  return names;
}

}  // namespace

ProviderRef::ProviderRef() {
  void* object = nullptr;
  EXPECT_EQ(S_OK, CreateKovaVssProviderInstance(IID_IKovaVssProvider, &object));
  object_ = static_cast<CKovaVssProvider*>(static_cast<IKovaVssProvider*>(object));
}

ProviderRef::~ProviderRef() {
  if (object_ != nullptr) object_->Release();
}

GUID TestGuid(uint8_t n) {
  GUID guid{};
  guid.Data1 = 0x10101010u * n;
  guid.Data2 = static_cast<uint16_t>(0x0101 * n);
  guid.Data3 = static_cast<uint16_t>(0x0202 * n);
  for (uint8_t i = 0; i < 8; ++i) guid.Data4[i] = static_cast<uint8_t>(n + i);
  return guid;
}

ProviderTest::ProviderTest(kova_sim::SimSeed seed)
    : log_(LOG_TRACE), seed_(std::move(seed)), sim_(seed_) {}

void ProviderTest::SetUp() {
  platform::SetMachineRegistry(registry_);
  Utilities::ResetRegistryDWORDCache();
  SetEventLog(&events_);
  sim_.Start();
  SetRootString(kova::kValueRestVersion, "1.1");
  ConfigureArray("array1", sim_.Url(), Token());
}

void ProviderTest::TearDown() {
  sim_.Stop();
  SetEventLog(nullptr);
  Utilities::ResetRegistryDWORDCache();
  platform::SetMachineRegistry(nullptr);
}

void ProviderTest::ConfigureArray(const std::string& name, const std::string& url,
                                  const std::string& token) const {
  auto key = CreateKey(*registry_, std::string(kova::kProviderRootKey) + name);
  ASSERT_TRUE(key);
  ASSERT_EQ(platform::RegistryStatus::kOk, platform::WriteStringValue(*key, kova::kValueUrl, url));
  std::vector<uint8_t> blob;
  ASSERT_TRUE(ProtectApiToken(utility::conversions::to_string_t(token), &blob));
  ASSERT_EQ(platform::RegistryStatus::kOk,
            key->SetValue(kova::kValueApiKey, platform::kRegBinary, blob.data(),
                          static_cast<uint32_t>(blob.size())));
}

void ProviderTest::SetRootString(const std::string& name, const std::string& value) const {
  auto key = CreateKey(*registry_, kova::kProviderRootKey);
  ASSERT_TRUE(key);
  ASSERT_EQ(platform::RegistryStatus::kOk, platform::WriteStringValue(*key, name, value));
}

void ProviderTest::SetRootDword(const std::string& name, uint32_t value) const {
  auto key = CreateKey(*registry_, kova::kProviderRootKey);
  ASSERT_TRUE(key);
  ASSERT_EQ(platform::RegistryStatus::kOk,
            key->SetValue(name, platform::kRegDword, reinterpret_cast<const uint8_t*>(&value),
                          sizeof value));
}

std::string ProviderTest::SerialOf(const std::string& name) const {
  const web::json::value state = sim_.State();
  for (const auto* list : {&state.at(U("volumes")), &state.at(U("snapshots"))}) {
    if (!list->is_array()) continue;
    for (const auto& item : list->as_array()) {
      if (utility::conversions::to_utf8string(item.at(U("name")).as_string()) == name) {
        return utility::conversions::to_utf8string(item.at(U("serial")).as_string());
      }
    }
  }
  return std::string();
}

std::vector<std::string> ProviderTest::SnapshotNames() const {
  return NamesIn(sim_.State().at(U("snapshots")));
}

std::vector<std::string> ProviderTest::VolumeNames() const {
  return NamesIn(sim_.State().at(U("volumes")));
}

std::vector<std::string> ProviderTest::RequestLines() const {
  std::vector<std::string> lines;
  for (const auto& request : sim_.Requests()) lines.push_back(request.method + " " + request.target);
  return lines;
}

std::vector<std::string> ProviderTest::Messages(const std::string& tag) const {
  Logger::ReleaseLogOutput();
  std::vector<std::string> messages;
  const std::string marker = " " + tag + " ";
  for (const std::string& line : log_.Lines()) {
    const size_t at = line.find(marker);
    if (at != std::string::npos) messages.push_back(line.substr(at + marker.size()));
  }
  return messages;
}

size_t ProviderTest::LogCount(const std::string& text) const {
  Logger::ReleaseLogOutput();
  return log_.LinesContaining(text).size();
}

void ProviderTest::PrepareSet(CKovaVssProvider* provider, const GUID& set_id,
                              LunRecordArray& luns) const {
  ASSERT_EQ(S_OK, provider->BeginPrepareSnapshot(set_id, TestGuid(99), 0, luns.count(),
                                                 luns.devices(), luns.data()));
  ASSERT_EQ(S_OK, provider->EndPrepareSnapshots(set_id));
  ASSERT_EQ(S_OK, provider->PreCommitSnapshots(set_id));
}

void ProviderTest::CreateSet(CKovaVssProvider* provider, const GUID& set_id,
                             LunRecordArray& luns) const {
  PrepareSet(provider, set_id, luns);
  ASSERT_EQ(S_OK, provider->CommitSnapshots(set_id));
  ASSERT_EQ(S_OK, provider->PostCommitSnapshots(set_id, luns.count()));
  ASSERT_EQ(VSS_SS_CREATED, provider->CurrentState());
}
