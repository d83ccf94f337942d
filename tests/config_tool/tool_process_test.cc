// KovaProviderConfig run as an administrator runs it: a separate process
// against the array emulator, with its own hive (on Windows the machine's
// registry) and log folder, its whole output compared (line ends as
// Linux's; the banner's system line is the machine's).
#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/stat.h>
#endif

#include <cpprest/asyncrt_utils.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "library/config/registry_readers.h"
#include "library/config/token_protection.h"
#include "library/registry_layout.h"
#include "platform/service_manager.h"
#include "tests/config_tool/expected_banner.h"
#include "tests/support/native_registry.h"
#include "tests/support/program_run.h"
#include "tests/support/temp_dir.h"
#include "tests/support/test_array_sim.h"
#include "tests/support/test_environment.h"
#include "tests/support/text_lines.h"
#include "tests/support/wide_text.h"

namespace {

const std::string kDisplay = "Kova Storage VSS Hardware Provider (64-bit)";
const std::string kHint =
    "\nThe new change(s) will take effect the next time '" + kDisplay + "' starts.\n\n";

std::string Head() { return ExpectedBanner() + "Supported REST version is 1.1\n\n"; }

std::string Pad(const std::string& text, size_t width) {
  return text.size() >= width ? text : text + std::string(width - text.size(), ' ');
}

std::string Table(const std::vector<std::vector<std::string>>& rows) {
  std::string table = "\n" + Pad("URL", 50) + Pad("Compatible", 12) + Pad("Online", 8) +
                      Pad("Authenticated", 15) + Pad("Array Name", 26) + "\n";
  for (const auto& row : rows) {
    table += Pad(row[0], 50) + Pad(row[1], 12) + Pad(row[2], 8) + Pad(row[3], 15) +
             Pad(row[4], 26) + "\n";
  }
  return table;
}

// The line "list" prints about the provider's service on this machine
// (where no systemd runs: it cannot be asked).
std::string ServiceLine() {
  auto manager = platform::SystemServiceManager().Connect();
  auto service = manager ? manager->OpenServiceByName("KovaProvider") : nullptr;
  platform::ServiceStatus status;
  if (!service || !service->QueryStatus(&status)) {
    return "Cannot determine the status of " + kDisplay + " service\n";
  }
  return kDisplay + " service is " +
         (status.state == platform::ServiceState::kRunning ? "running\n" : "not running\n");
}

std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

std::string Utf16Le(const std::string& ascii) {
  std::string bytes;
  for (char c : ascii) bytes += std::string{c, '\0'};
  return bytes;
}

// Points this process's data protection at the tool's machine key.
class ToolsMachineKey {
 public:
  explicit ToolsMachineKey(const std::string& state_dir) : state_dir_("KOVA_STATE_DIR", state_dir) {}

 private:
  ScopedTestEnv state_dir_;
};

class ToolProcessTest : public testing::Test {
 protected:
  // The Windows registry outlives a test: each starts and ends without the
  // system's keys. (The hive lives in the test's own state folder, which a
  // test may expect to stay empty.)
  void SetUp() override {
    sim_.Start();
    ClearSystemKeys();
  }
  void TearDown() override {
    platform::SetMachineRegistry(nullptr);
    sim_.Stop();
    ClearSystemKeys();
  }
  void ClearSystemKeys() {
    if (std::string(MachineNativeRegistry().name) != "Windows") return;
    const platform::RegistryStatus status =
        Hive()->DeleteTree(platform::RegistryRoot::kLocalMachine, "SOFTWARE\\KovaStorage");
    ASSERT_TRUE(status == platform::RegistryStatus::kOk || status == platform::RegistryStatus::kNotFound);
  }

  ProgramRun Run(const std::vector<std::string>& args, const std::string& input = "") {
    ProgramRunOptions options;
    options.state_dir = state_.str();
    options.input = input;
    return RunProgram(KOVA_TOOL_PATH, args, options);
  }
  // The output of a run that must exit with 0 and print no error.
  std::string Out(const std::vector<std::string>& args, const std::string& input = "") {
    const ProgramRun run = Run(args, input);
    EXPECT_EQ(0, run.exit_code);
    EXPECT_EQ("", run.err);
    return WithLineFeeds(run.out);
  }
  std::string Add(const std::string& name, const std::string& url = "") {
    return Out({"add", "--url", url.empty() ? sim_.Url() : url, "--user", "admin", "--password",
                "admin-password", name});
  }
  std::string Row(const std::string& name, const std::string& flags = "yes yes yes") const {
    std::istringstream words(flags);
    std::string compatible, online, authenticated;
    words >> compatible >> online >> authenticated;
    return Pad(sim_.Url(), 50) + Pad(compatible, 12) + Pad(online, 8) + Pad(authenticated, 15) +
           Pad(name, 26) + "\n";
  }
  std::string Header() const { return Table({}); }
  std::shared_ptr<platform::Registry> Hive(bool administrator = true) {
    return MachineNativeRegistry().open(state_.str(), [administrator] { return administrator; });
  }
  std::string HiveString(const std::string& path, const std::string& name) {
    std::unique_ptr<platform::RegistryKey> key;
    std::string text = "<absent>";
    if (Hive()->OpenKey(platform::RegistryRoot::kLocalMachine, path, &key) ==
        platform::RegistryStatus::kOk) {
      platform::ReadStringValue(*key, name, 4096, &text);
    }
    return text;
  }
  std::vector<std::string> HiveArrays() {
    std::vector<std::string> names;
    std::unique_ptr<platform::RegistryKey> key;
    if (Hive()->OpenKey(platform::RegistryRoot::kLocalMachine, kova::kProviderRootKey, &key) !=
        platform::RegistryStatus::kOk) {
      return names;
    }
    for (uint32_t i = 0;; ++i) {
      std::string name;
      if (key->EnumSubKey(i, &name) != platform::RegistryStatus::kOk) break;
      names.push_back(name);
    }
    return names;
  }
  // Every byte the tool left in its state folder (database, journal, key).
  std::string StateBytes() {
    std::string bytes;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(state_.path())) {
      if (entry.is_regular_file()) bytes += ReadFile(entry.path());
    }
    return bytes;
  }
  std::string ToolLog() {
    return WithLineFeeds(ReadFile(state_.path() / "KovaStorage" / "KovaProviderConfig.log"));
  }
  std::string Token() const { return kova_sim::SimSeed::Default().users.at(0).api_token; }
  // Protects |token| with the tool's machine key and stores an array, as
  // an earlier run of the tool would have.
  void StoreArray(const std::string& name, const std::string& url, const std::string& token) {
    std::vector<uint8_t> blob;
    {
      ToolsMachineKey key(state_.str());
      ASSERT_TRUE(ProtectApiToken(Wide(token), &blob));
    }
    std::unique_ptr<platform::RegistryKey> key;
    ASSERT_EQ(platform::RegistryStatus::kOk,
              Hive()->CreateKey(platform::RegistryRoot::kLocalMachine,
                                kova::kProviderRootKey + name,
                                platform::KeyProtection::kAdministratorsOnly, &key));
    key->SetValue("APIKey", platform::kRegBinary, blob.data(), static_cast<uint32_t>(blob.size()));
    platform::WriteStringValue(*key, "URL", url);
  }

  TempDir state_;
  TestArraySim sim_;
};

TEST_F(ToolProcessTest, WithoutACommandItPrintsTheBannerTheVersionAndTheUsage) {
  EXPECT_EQ(Head() +
                "Usage: KovaProviderConfig.exe [-h] {add, list, log, remove, setattr, "
                "restartprovider}\n",
            Out({}));
  EXPECT_EQ("Enabled", HiveString(kova::kProviderRootKey, "Logging"));
  EXPECT_EQ("10", HiveString(kova::kProviderRootKey, "RestTimeout"));
  EXPECT_NE(std::string::npos, ToolLog().find("Command-line: " + std::string(KOVA_TOOL_PATH) + " \n"));
}

TEST_F(ToolProcessTest, HelpWordsAnywhereShowTheHelpAndOtherWordsAreInvalid) {
  const std::string help =
      "\nusage: KovaProviderConfig.exe [-h]\t{add, setattr, remove, list, log, restartprovider} "
      "...\n\n"
      "positional arguments:\n\t{add, setattr, remove, list, log, restartprovider}\n\n"
      "\tadd\t\tAdd Array to VSS\n"
      "\tsetattr\t\tSet Array attributes\n"
      "\tremove\t\tRemove Array from VSS\n"
      "\tlist\t\tList configured Kova Storage Arrays and their status\n"
      "\tlog\t\tEnable/Disable Logging\n"
      "\trestartprovider\tRestart the KovaProvider service if it is currently running\n"
      "optional arguments:\n"
      "\t-h\t\tshow this help message and exit\n";
  for (const char* word : {"-h", "--help", "xhelpx", "add-h"}) {
    EXPECT_EQ(Head() + help, Out({word})) << word;
  }
  const std::string invalid =
      "Invalid Command.\nUsage: KovaProviderConfig.exe [-h] {add, list, log, remove, setattr}\n";
  for (const char* word : {"Add", "lists", "LIST", "restart"}) {
    EXPECT_EQ(Head() + invalid, Out({word, "x"})) << word;
  }
}

TEST_F(ToolProcessTest, ANonAdministratorGetsCode18AndNothingIsWritten) {
#ifdef _WIN32
  GTEST_SKIP() << "a test process cannot start a program without its administrator rights here";
#else
  ASSERT_EQ(0, chmod(state_.str().c_str(), 0777));  // it could write here
  ProgramRunOptions options;
  options.state_dir = state_.str();
  options.run_as_uid = 65534;
  const ProgramRun run = RunProgram(KOVA_TOOL_PATH, {"log", "--disable"}, options);
  EXPECT_EQ(18, run.exit_code);
  EXPECT_EQ(ExpectedBanner() + "You must run this application as Administrator\n", run.out);
  EXPECT_TRUE(std::filesystem::is_empty(state_.path()));
#endif
}

TEST_F(ToolProcessTest, AddReadsThePasswordTypedAtItsPrompt) {
  EXPECT_EQ(Head() + "Enter user password: \n" + std::string(14, '*') + "\n" + Header() +
                Row("lab-array") + kHint,
            Out({"add", "--url", sim_.Url(), "--user", "admin", "lab-array"}, "admin-password\n"));
  EXPECT_EQ((std::vector<std::string>{"lab-array"}), HiveArrays());
}

TEST_F(ToolProcessTest, AddStoresTheUrlAndAProtectedTokenAndShowsTheArray) {
  const std::string bare = sim_.Url().substr(8);  // without the scheme
  EXPECT_EQ(Head() + Header() + Row("lab-array") + kHint, Add("lab-array", bare));

  EXPECT_EQ(sim_.Url(), HiveString(kova::kProviderRootKey + std::string("lab-array"), "URL"));
  std::unique_ptr<platform::RegistryKey> key;
  ASSERT_EQ(platform::RegistryStatus::kOk,
            Hive()->OpenKey(platform::RegistryRoot::kLocalMachine,
                            kova::kProviderRootKey + std::string("lab-array"), &key));
  uint8_t blob[512];
  uint32_t size = sizeof blob, type = 0;
  ASSERT_EQ(platform::RegistryStatus::kOk, key->QueryValue("APIKey", &type, blob, &size));
  EXPECT_EQ(platform::kRegBinary, type);
  utility::string_t token;
  {
    ToolsMachineKey machine_key(state_.str());
    EXPECT_TRUE(UnprotectApiToken(std::vector<uint8_t>(blob, blob + size), &token));
  }
  EXPECT_EQ(Token(), Narrow(token));

  const std::string bytes = StateBytes();
  EXPECT_EQ(std::string::npos, bytes.find(Token()));
  EXPECT_EQ(std::string::npos, bytes.find(Utf16Le(Token())));
  EXPECT_EQ(std::string::npos, ToolLog().find(Token()));
  EXPECT_EQ(std::string::npos, ToolLog().find("admin-password"));
}

TEST_F(ToolProcessTest, OnlyAdministratorsMayOpenTheKeyOfAnArrayAdded) {
  const char* no_caller_switch = MachineNativeRegistry().no_caller_switch;
  if (*no_caller_switch) GTEST_SKIP() << no_caller_switch;
  Add("lab-array");
  std::unique_ptr<platform::RegistryKey> key;
  EXPECT_EQ(platform::RegistryStatus::kOk,
            Hive(true)->OpenKey(platform::RegistryRoot::kLocalMachine,
                                kova::kProviderRootKey + std::string("lab-array"), &key));
  EXPECT_EQ(platform::RegistryStatus::kAccessDenied,
            Hive(false)->OpenKey(platform::RegistryRoot::kLocalMachine,
                                 kova::kProviderRootKey + std::string("lab-array"), &key));
}

// What the tool stored is what the provider's reader reads, through the
// system's data protection (Windows: CryptProtectData's machine scope); a
// blob changed in its sealed part is refused and the token left alone.
TEST_F(ToolProcessTest, TheProvidersReaderReadsTheTokenTheToolProtectedAndRefusesAChangedOne) {
  Add("lab-array");
  const std::shared_ptr<platform::Registry> registry = Hive();
  ToolsMachineKey machine_key(state_.str());
  platform::SetMachineRegistry(registry);
  utility::string_t url, token = Wide("kept");
  Utilities::GetLumenstackCredentials(Wide("lab-array"), url, token);
  EXPECT_EQ(Wide(sim_.Url()), url);
  EXPECT_EQ(Wide(Token()), token);

  std::unique_ptr<platform::RegistryKey> key;
  ASSERT_EQ(platform::RegistryStatus::kOk,
            registry->OpenKey(platform::RegistryRoot::kLocalMachine,
                              kova::kProviderRootKey + std::string("lab-array"), &key));
  uint8_t blob[512];
  uint32_t size = sizeof blob, type = 0;
  ASSERT_EQ(platform::RegistryStatus::kOk, key->QueryValue("APIKey", &type, blob, &size));
  ASSERT_GT(size, 40u);
  blob[size - 40] ^= 0x01;  // in the cipher text or its seal, whatever the format
  ASSERT_EQ(platform::RegistryStatus::kOk, key->SetValue("APIKey", platform::kRegBinary, blob, size));
  token = Wide("kept");
  Utilities::GetLumenstackCredentials(Wide("lab-array"), url, token);
  EXPECT_EQ(Wide("kept"), token);
}

TEST_F(ToolProcessTest, TheLoggedNineArgumentAddMasksThePasswordAndANameInUseSendsNothing) {
  Out({"log", "--enable", "--loglevel", "4"});
  EXPECT_EQ(Head() + Header() + Row("lab") + kHint, Add("lab"));
  const std::string log = ToolLog();
  EXPECT_NE(std::string::npos, log.find("I main() Command-line: " + std::string(KOVA_TOOL_PATH) +
                                        " add --url " + sim_.Url() +
                                        " --user admin --password ******** lab \n"));
  EXPECT_EQ(std::string::npos, log.find("admin-password"));
  EXPECT_EQ(std::string::npos, log.find(Token()));
  EXPECT_NE(std::string::npos, log.find("Password hidden"));

  sim_.ClearRequests();
  EXPECT_EQ(Head() + "\nError: Lumenstack name already in use\n", Add("lab"));
  EXPECT_TRUE(sim_.Requests().empty());
}

TEST_F(ToolProcessTest, AddReportsEachFailingCheckAndStoresNothing) {
  kova_sim::Fault fault;
  fault.status = 400;
  fault.path_contains = "/auth/apitoken";
  EXPECT_EQ(Head() + "\nError: Invalid credentials. Check username/password and try again\n",
            Out({"add", "--url", sim_.Url(), "--user", "admin", "--password", "nope", "lab"}));
  fault.body = "{\"msg\": \"Invalid credentials\"}";
  sim_.InjectFault(fault);
  EXPECT_EQ(Head() + "\nError: Cannot establish Lumenstack authenticated REST session\n",
            Add("lab"));

  fault.path_contains = "/api/api_version";
  fault.status = 503;
  fault.body = "{}";
  sim_.InjectFault(fault);
  EXPECT_EQ(Head() +
                "Error: Cannot connect to the Lumenstack REST API. Please check the following:"
                "\r\n\r\n- The Lumenstack is online and accessible\r\n- The Firewall is properly "
                "configured to allow HTTPS access to the Lumenstack, and TLS 1.1 or TLS 1.2 is "
                "enabled\r\n\n",
            Add("lab"));

  sim_.SetVersions({"1.0", "1.2"});
  EXPECT_EQ(Head() + "\nError: Couldn't add new array configuration due to incompatible version\n",
            Add("lab"));
  EXPECT_TRUE(HiveArrays().empty());
}

TEST_F(ToolProcessTest, ArrayNamesAreLimitedTo32CharactersCheckedAfterThePassword) {
  const std::string name32(32, 'n');
  EXPECT_EQ(Head() + "Enter user password: \n" + std::string(14, '*') + "\n" +
                "Invalid format: Array name too long, please limit the length to 32 characters!\n",
            Out({"add", "--url", sim_.Url(), "--user", "admin", name32 + "x"}, "admin-password\r"));
  EXPECT_TRUE(HiveArrays().empty());
}

TEST_F(ToolProcessTest, AnArrayNameOf32CharactersIsStored) {
  const std::string name32(32, 'n');
  EXPECT_EQ(Head() + "Invalid format: Array name too long, please limit the length to 32 characters!\n",
            Add(name32 + "x"));
  EXPECT_EQ(Head() + Header() + Row(name32) + kHint, Add(name32));
  EXPECT_EQ((std::vector<std::string>{name32}), HiveArrays());
}

TEST_F(ToolProcessTest, AddFormatErrorsAndHelp) {
  const std::string head = Head() + "\nInvalid Format\nUsage: \n"
                                    "KovaProviderConfig <operation> <parameters>\n";
  const std::string seven =
      "For example, KovaProviderConfig.exe add --url https://array01.example.com --user USERNAME "
      "KovaArray\n";
  const std::string nine =
      "For example, KovaProviderConfig.exe add --url https://array01.example.com --user USERNAME "
      "--password PASSWORD KovaArray\n";
  const std::string help = "For example, KovaProviderConfig.exe add -h\n";
  EXPECT_EQ(head + seven + help, Out({"add", "--user", "admin", "--url", sim_.Url(), "lab"}));
  EXPECT_EQ(head + nine + help,
            Out({"add", "--url", "u", "--user", "admin", "--pass", "p", "lab"}));
  EXPECT_EQ(head + seven + nine + help + "See help for more information\n", Out({"add", "lab"}));
  EXPECT_EQ(head + seven + nine + help + "See help for more information\n", Out({"add"}));
  EXPECT_EQ(Head() +
                "\nusage: KovaProviderConfig add [-h] --url ADDRESS --user USER [--password "
                "PASSWORD] ARRAY\npositional arguments:\n\t--url ADDRESS\tArray URL\n"
                "\t--user USERNAME\tArray User\n\tARRAY\t\tArray Name\noptional arguments:\n"
                "\t--password PASSWORD\tArray Password\n\t-h\t\tshow this help message and exit\n",
            Out({"add", "--help"}));
  EXPECT_TRUE(sim_.Requests().empty());
}

TEST_F(ToolProcessTest, ListShowsEachArraysStatus) {
  EXPECT_EQ(Head() + ServiceLine() + "\nError: Lumenstack configuration not found in the Registry\n",
            Out({"list"}));
  Add("good");
  StoreArray("revoked", sim_.Url(), "token-the-array-no-longer-knows");
  StoreArray("down", "https://127.0.0.1:1", Token());
  EXPECT_EQ(Head() + ServiceLine() + Header() +
                Pad("https://127.0.0.1:1", 50) + Pad("no", 12) + Pad("no", 8) + Pad("no", 15) +
                Pad("down", 26) + "\n" + Row("good") + Row("revoked", "yes yes no"),
            Out({"list"}));
  EXPECT_EQ(Head() + ServiceLine() + Header() + Row("revoked", "yes yes no"),
            Out({"list", "revoked"}));
  EXPECT_EQ(Head() + ServiceLine() + "Array 'Good' configuration not found\n",
            Out({"list", "Good"}));
  EXPECT_EQ(Head() + "\nusage: KovaProviderConfig list [-h] [ARRAY]\npositional arguments:\n"
                     "\tARRAY\tArray Name\noptional arguments:\n"
                     "\t-h\tshow this help message and exit\n",
            Out({"list", "-h"}));
  EXPECT_EQ(Head() + "\nInvalid Format\nUsage: KovaProviderConfig.exe <operation> <parameters>\n"
                     "For example, KovaProviderConfig.exe list -h\n"
                     "For example, KovaProviderConfig.exe list ArrayName\n",
            Out({"list", "good", "down"}));
}

TEST_F(ToolProcessTest, SetattrChangesTheAddressTheNameOrBoth) {
  Add("lab");
  const std::string bare = sim_.Url().substr(8);
  EXPECT_EQ(Head() + Header() + Row("lab") + kHint, Out({"setattr", "--url", bare, "lab"}));
  EXPECT_EQ(Head() + Header() + Row("lab2") + kHint,
            Out({"setattr", "--newname", "lab2", "lab"}));
  EXPECT_EQ(Head() + Header() + Row("lab3") + kHint,
            Out({"setattr", "--url", sim_.Url(), "--newname", "lab3", "lab2"}));
  EXPECT_EQ(Head() + Header() + Row("lab4") + kHint,
            Out({"setattr", "--newname", "lab4", "--url", bare, "lab3"}));
  EXPECT_EQ((std::vector<std::string>{"lab4"}), HiveArrays());

  // The address changes before the new name is refused.
  const std::string name33(33, 'z');
  EXPECT_EQ(Head() +
                "Invalid format: Array name too long, please limit the length to 32 characters!\n",
            Out({"setattr", "--url", "https://127.0.0.1:1", "--newname", name33, "lab4"}));
  EXPECT_EQ("https://127.0.0.1:1", HiveString(kova::kProviderRootKey + std::string("lab4"), "URL"));
  EXPECT_EQ((std::vector<std::string>{"lab4"}), HiveArrays());
}

TEST_F(ToolProcessTest, SetattrFailuresAndFormatErrors) {
  Add("lab");
  Add("other");
  EXPECT_EQ(Head() + "\nError: Lumenstack configuration not found in the Registry\n",
            Out({"setattr", "--url", "https://10.9.9.9", "missing"}));
  EXPECT_EQ(Head() + "\nError: Lumenstack name already in use\n",
            Out({"setattr", "--newname", "other", "lab"}));
  EXPECT_EQ(Head() + "\nError: Key does not exists in the registry\n",
            Out({"setattr", "--newname", "new", "missing"}));

  const std::string head =
      Head() + "\nInvalid Format\nUsage: KovaProviderConfig.exe <operation> <parameters>\n";
  const std::string seven =
      "For example, KovaProviderConfig.exe setattr --url https://array01.example.com --newname "
      "NewKovaArray OldKovaArray\n"
      "For example, KovaProviderConfig.exe setattr --newname NewKovaArray --url "
      "https://array01.example.com OldKovaArray\n";
  const std::string five =
      "For example, KovaProviderConfig.exe setattr --url https://array01.example.com KovaArray\n"
      "For example, KovaProviderConfig.exe setattr --newname NewKovaArray OldKovaArray\n"
      "For example, KovaProviderConfig.exe setattr -h\n";
  EXPECT_EQ(head + five, Out({"setattr", "--name", "x", "lab"}));
  EXPECT_EQ(head + seven, Out({"setattr", "--url", "u", "--url", "v", "lab"}));
  EXPECT_EQ(head + seven + five, Out({"setattr", "lab"}));
  EXPECT_EQ(Head() + "\nusage: KovaProviderConfig setattr [-h] [--newname NEWNAME] [--url ADDRESS] "
                     "ARRAY\npositional arguments:\n\tARRAY\t\t\tArray Name\noptional arguments:\n"
                     "\t--newname NEWNAME\tNew Array Name\n\t--url ADDRESS\t\tArray URL\n"
                     "\t-h\t\t\tshow this help message and exit\n",
            Out({"setattr", "-h"}));
  EXPECT_EQ((std::vector<std::string>{"lab", "other"}), HiveArrays());
}

TEST_F(ToolProcessTest, RemoveDeletesOneArray) {
  Add("lab");
  Add("keep");
  EXPECT_EQ(Head() + "Name\nlab\n" + kHint, Out({"remove", "lab"}));
  EXPECT_EQ(Head() + "\nError: Lumenstack configuration not found in the Registry\n",
            Out({"remove", "lab"}));
  // A name like a path never reaches the provider key itself.
  EXPECT_EQ(Head() + "\nError: Lumenstack configuration not found in the Registry\n",
            Out({"remove", "\\"}));
  EXPECT_EQ((std::vector<std::string>{"keep"}), HiveArrays());
  EXPECT_EQ("Enabled", HiveString(kova::kProviderRootKey, "Logging"));

  EXPECT_EQ(Head() + "\nusage: KovaProviderConfig remove [-h] ARRAY\npositional arguments:\n"
                     "\tARRAY\tArray Name\noptional arguments:\n\t-h\tshow this help message and "
                     "exit\n",
            Out({"remove", "--help"}));
  const std::string usage = Head() +
                            "\nInvalid Format\nUsage: KovaProviderConfig <operation> <parameters>\n"
                            "For example, KovaProviderConfig.exe remove KovaArray\n"
                            "For example, KovaProviderConfig.exe remove -h\n";
  EXPECT_EQ(usage, Out({"remove"}));
  EXPECT_EQ(usage, Out({"remove", "keep", "now"}));
  EXPECT_EQ((std::vector<std::string>{"keep"}), HiveArrays());
}

TEST_F(ToolProcessTest, LogShowsAndSwitchesTheLoggingSettings) {
  const std::string help =
      "usage: KovaProviderConfig log [-h] --ACTION [--loglevel LOGLEVEL]\n"
      "Required argument:\n\t--ACTION\t\tenable, disable, status\noptional arguments:\n"
      "\t--loglevel LOGLEVEL\t0-4 [0=LOG_ERROR, 1=LOG_WARN, 2=LOG_INFO, 3=LOG_DEBUG, 4=LOG_TRACE]\n"
      "\t-h\t\t\tshow this help message and exit\n\n"
      "For example, KovaProviderConfig.exe log --status\n"
      "KovaProviderConfig.exe log --enable\nKovaProviderConfig.exe log --disable\n";
  EXPECT_EQ(Head() + "\nLog: Enabled\nLog Level: 2[INFO]\n", Out({"log", "--status"}));
  EXPECT_EQ(Head() + "\nLog Enabled\nLog Level: 4[TRACE]\n",
            Out({"log", "--enable", "--loglevel", "4"}));
  EXPECT_EQ(Head() + "\nLog Disabled\n", Out({"log", "--disable"}));
  EXPECT_EQ(Head() + "\nLog: Disabled\n", Out({"log", "--status"}));
  EXPECT_EQ("4", HiveString(kova::kProviderRootKey, "LogLevel")) << "disabling keeps the level";

  const std::string log_before = ToolLog();
  Out({"list", "-h"});
  EXPECT_EQ(log_before, ToolLog()) << "a disabled log stays untouched";

  EXPECT_EQ(Head() + "\nLog Enabled\nLog Level: 2[INFO]\n", Out({"log", "--enable"}));
  const std::string usage = Head() +
                            "\nInvalid Format\nUsage: KovaProviderConfig.exe <operation> "
                            "<parameters>\nFor example, KovaProviderConfig.exe log --enable "
                            "--loglevel 0\n";
  EXPECT_EQ(usage, Out({"log", "--enable", "--loglevel", "7"}));
  EXPECT_EQ(usage, Out({"log", "--enable", "--loglevel", "12"}));
  EXPECT_EQ(usage, Out({"log", "--disable", "--loglevel", "1"}));
  EXPECT_EQ(Head() + help, Out({"log", "-h"}));
  EXPECT_EQ(Head() + "\nInvalid Format\n" + help, Out({"log", "--verbose"}));
  EXPECT_EQ(Head() + "\nArgument Length mismatch \nKovaProviderConfig.exe <operation> "
                     "<parameters>\n",
            Out({"log", "--enable", "--loglevel"}));
  EXPECT_EQ("2", HiveString(kova::kProviderRootKey, "LogLevel"));
}

TEST_F(ToolProcessTest, RestartProviderReportsThatTheServiceCannotBeReachedHere) {
  if (std::filesystem::exists("/run/systemd/system")) GTEST_SKIP() << "systemd runs here";
  const std::string help =
      "usage: KovaProviderConfig restartprovider [-h] [--forcestop] \nOptional arguments:\n"
      "\t-h\t\tShow this help message and exit\n"
      "\t--forcestop\tForcefully terminate the KovaProvider service if it did not respond to the "
      "request to stop\n\nFor example, KovaProviderConfig.exe restartprovider\n"
      "KovaProviderConfig.exe restartprovider --forcestop\n"
      "KovaProviderConfig.exe restartprovider -h\n";
  const std::string unreachable = Head() + "Cannot determine the status of '" + kDisplay + "'\n";
  EXPECT_EQ(unreachable, Out({"restartprovider"}));
  EXPECT_EQ(unreachable, Out({"restartprovider", "--forcestop"}));
  EXPECT_EQ(Head() + help, Out({"restartprovider", "-h"}));
  EXPECT_EQ(Head() + "Invalid Format\n" + help, Out({"restartprovider", "--now"}));
  EXPECT_EQ(Head() + "Invalid Format\n" + help, Out({"restartprovider", "--forcestop", "x"}));
}

}  // namespace
