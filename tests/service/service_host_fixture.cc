#include "tests/service/service_host_fixture.h"

#include <cstring>
#include <fstream>

#include "library/log/logger.h"
#include "library/registry_layout.h"
#include "platform/vss_provider_store.h"
#include "provider/service/provider_entry.h"

ServiceHostTest::ServiceHostTest() : vss_(&platform::RegistryVssCoordinator()) {
  platform::SetMachineRegistry(registry_);
}

ServiceHostTest::~ServiceHostTest() {
  if (log_open_) Logger::Close();
  platform::SetMachineRegistry(nullptr);
}

kova_service::ServiceHostFacilities ServiceHostTest::Facilities() {
  return FakeFacilities({&services_, &dispatcher_, &com_, &boxes_, &events_, &console_, vss_},
                        program_path_);
}

std::unique_ptr<kova_service::CKovaProviderModule> ServiceHostTest::MakeModule() {
  return std::make_unique<kova_service::CKovaProviderModule>(Facilities(), "KovaProvider");
}

int ServiceHostTest::RunEntry(const std::string& command_line) {
  return kova_service::RunKovaProvider(command_line, Facilities(), "KovaProvider");
}

void ServiceHostTest::OpenLog() {
  Logger::Open(true, LOG_TRACE, kProviderLogFileName);
  log_open_ = true;
}

std::vector<std::string> ServiceHostTest::LogMessages(const std::string& tag) const {
  std::ifstream in(profile_.path() / "KovaStorage" / kProviderLogFileName);
  std::vector<std::string> messages;
  const std::string marker = " " + tag + " ";
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const size_t at = line.find(marker);
    if (at != std::string::npos) messages.push_back(line.substr(at + marker.size()));
  }
  return messages;
}

size_t ServiceHostTest::LogCount(const std::string& text) const {
  size_t count = 0;
  for (const char* tag : {"Kova.VssProvider", "Kova.KovaProvider", "Kova.Logger"}) {
    for (const std::string& message : LogMessages(tag)) {
      if (message.find(text) != std::string::npos) ++count;
    }
  }
  return count;
}

RegistryTree ServiceHostTest::Classes(const std::string& path) const {
  return SnapshotRegistry(*memory_, platform::RegistryRoot::kClassesRoot, path);
}

RegistryTree ServiceHostTest::Machine(const std::string& path) const {
  return SnapshotRegistry(*memory_, platform::RegistryRoot::kLocalMachine, path);
}

void ServiceHostTest::SetProviderDword(const std::string& name, uint32_t value) {
  std::unique_ptr<platform::RegistryKey> key;
  ASSERT_EQ(platform::RegistryStatus::kOk,
            memory_->CreateKey(platform::RegistryRoot::kLocalMachine, kova::kProviderRootKey,
                               platform::KeyProtection::kDefault, &key));
  uint8_t bytes[4];
  std::memcpy(bytes, &value, sizeof bytes);
  ASSERT_EQ(platform::RegistryStatus::kOk, key->SetValue(name, platform::kRegDword, bytes, 4));
}

void ServiceHostTest::SetProviderString(const std::string& name, const std::string& value) {
  std::unique_ptr<platform::RegistryKey> key;
  ASSERT_EQ(platform::RegistryStatus::kOk,
            memory_->CreateKey(platform::RegistryRoot::kLocalMachine, kova::kProviderRootKey,
                               platform::KeyProtection::kDefault, &key));
  ASSERT_EQ(platform::RegistryStatus::kOk, platform::WriteStringValue(*key, name, value));
}

RegistryTree ServiceHostTest::ExpectedClassTree() const {
  const std::string clsid = kClsidKey;
  return {
      {"CLSID", {}},
      {clsid,
       {{"", Sz("KovaVssProvider Class")}, {"AppID", Sz("{63F0BFC9-5C8A-4CC1-BBD9-B51EEC70FC8F}")}}},
      {clsid + "\\LocalServer32",
       {{"", Sz("\"" + program_path_ + "\"")}, {"ServerExecutable", Sz(program_path_)}}},
      {clsid + "\\Programmable", {}},
      {clsid + "\\TypeLib", {{"", Sz("{ADE4E74B-C9A2-461B-A104-42917DCD7E02}")}}},
      {clsid + "\\Version", {{"", Sz("1.0")}}},
  };
}

RegistryTree ServiceHostTest::ExpectedEventSource() const {
  const std::string file = "/opt/kova/bin/ProviderEvents.dll";
  return {{kEventSourcePath,
           {{"EventMessageFile", ExpandSz(file)},
            {"CategoryMessageFile", ExpandSz(file)},
            {"ParameterMessageFile", ExpandSz(file)},
            {"TypesSupported", Dword(7)},
            {"CategoryCount", Dword(2)}}}};
}

RegistryTree ServiceHostTest::ExpectedVssRecord() const {
  const std::string key = kVssProviderPath;
  return {{key,
           {{"", Sz("Kova Storage VSS Hardware Provider (64-bit)")},
            {"Type", Dword(3)},
            {"Version", Sz("1.0.3")},
            {"VersionId", Sz("{174057F8-922A-456B-A42F-43C6F4E9C4DA}")}}},
          {key + "\\CLSID", {{"", Sz("{484E0F8A-B54C-45C6-ACAF-BE682A421F25}")}}}};
}

void ServiceHostTest::ExpectRegistered() const {
  EXPECT_EQ(ExpectedClassTree(), Classes("CLSID"));
  EXPECT_EQ((RegistryTree{{"AppID", {}}, {kAppIdKey, {{"LocalService", Sz("KovaProvider")}}}}),
            Classes("AppID"));
  EXPECT_EQ(ExpectedEventSource(), Machine(kEventSourcePath));
  EXPECT_EQ(ExpectedVssRecord(), Machine(kVssProviderPath));
}
