// KovaReg's commands on a registry through streams: what it prints, what it
// asks, what it changes, and how it refuses bad command lines.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "platform/memory_registry.h"
#include "platform/registry.h"
#include "tools/KovaReg/reg_editor.h"
#include "tools/KovaReg/reg_values.h"

namespace kovareg {
namespace {

using platform::RegistryStatus;

constexpr char kProvider[] = "HKLM\\SOFTWARE\\KovaStorage\\VSS\\Provider";
constexpr char kNotFound[] =
    "ERROR: The system was unable to find the specified registry key or value.\n";
constexpr char kDone[] = "The operation completed successfully.\n";

struct Outcome {
  int code;
  std::string out;
  std::string err;
};

class KovaRegEditorTest : public testing::Test {
 protected:
  Outcome Reg(const std::vector<std::string>& args, const std::string& input = "") {
    std::istringstream in(input);
    std::ostringstream out, err;
    const int code = RunKovaReg(args, *registry_, in, out, err);
    return {code, out.str(), err.str()};
  }

  // Type and bytes of a value under the Provider key.
  std::pair<uint32_t, std::vector<uint8_t>> Stored(const std::string& name) {
    std::unique_ptr<platform::RegistryKey> key;
    EXPECT_EQ(RegistryStatus::kOk, registry_->OpenKey(platform::RegistryRoot::kLocalMachine,
                                                      "SOFTWARE\\KovaStorage\\VSS\\Provider", &key));
    uint32_t type = 0, size = 0;
    if (!key || key->QueryValue(name, &type, nullptr, &size) != RegistryStatus::kOk) return {};
    std::vector<uint8_t> data(size);
    key->QueryValue(name, nullptr, data.data(), &size);
    return {type, data};
  }

  bool administrator_ = true;
  std::shared_ptr<platform::Registry> registry_ =
      platform::CreateMemoryRegistry([this] { return administrator_; });
};

TEST_F(KovaRegEditorTest, AddStoresEachTypeAsWindowsDoes) {
  EXPECT_EQ(kDone, Reg({"add", kProvider, "/v", "DeleteSnaps", "/t", "REG_DWORD", "/d", "2"}).out);
  EXPECT_EQ(std::make_pair(uint32_t{platform::kRegDword}, std::vector<uint8_t>{2, 0, 0, 0}),
            Stored("DeleteSnaps"));
  Reg({"ADD", kProvider, "-V", "EradicateVolumes", "/T", "reg_dword", "/D", "0xFFFFFFFF", "/F"});
  EXPECT_EQ((std::vector<uint8_t>{0xFF, 0xFF, 0xFF, 0xFF}), Stored("EradicateVolumes").second);
  Reg({"add", kProvider, "/v", "LogInterrogate", "/t", "REG_DWORD"});
  EXPECT_EQ((std::vector<uint8_t>{0, 0, 0, 0}), Stored("LogInterrogate").second) << "no /d is 0";
  Reg({"add", kProvider, "/v", "Build", "/d", "N/A"});
  EXPECT_EQ(std::make_pair(uint32_t{platform::kRegSz}, std::vector<uint8_t>{'N', 0, '/', 0, 'A', 0, 0, 0}),
            Stored("Build"));
  Reg({"add", kProvider, "/v", "Path", "/t", "REG_EXPAND_SZ", "/d", "%TEMP%"});
  EXPECT_EQ(platform::kRegExpandSz, Stored("Path").first);
  Reg({"add", kProvider, "/v", "Blob", "/t", "REG_BINARY", "/d", "00fF1"});
  EXPECT_EQ((std::vector<uint8_t>{0x00, 0x0F, 0xF1}), Stored("Blob").second);
  Reg({"add", kProvider, "/ve", "/d", "default text"});
  EXPECT_EQ(platform::EncodeRegistryString("default text"), Stored("").second);
  Reg({"add", kProvider, "/t", "REG_DWORD", "/d", "5", "/reg:64", "/f"});
  EXPECT_EQ((std::vector<uint8_t>{5, 0, 0, 0}), Stored("").second) << "no name means (Default)";
}

TEST_F(KovaRegEditorTest, QueryShowsKeysAndValuesInTheConsoleToolsLayout) {
  Reg({"add", kProvider, "/v", "RestVersion", "/d", "1.1"});
  Reg({"add", kProvider, "/v", "DeleteSnaps", "/t", "REG_DWORD", "/d", "255"});
  Reg({"add", kProvider, "/ve", "/d", ""});
  Reg({"add", std::string(kProvider) + "\\Array1", "/v", "APIKey", "/t", "REG_BINARY", "/d", "01d08c9ddf"});
  Reg({"add", std::string(kProvider) + "\\Array1\\Empty"});

  Outcome run = Reg({"query", std::string(kProvider) + "\\"});
  EXPECT_EQ(0, run.code);
  EXPECT_EQ("\n"
            "HKEY_LOCAL_MACHINE\\SOFTWARE\\KovaStorage\\VSS\\Provider\n"
            "    (Default)    REG_SZ    \n"
            "    DeleteSnaps    REG_DWORD    0xff\n"
            "    RestVersion    REG_SZ    1.1\n"
            "\n"
            "HKEY_LOCAL_MACHINE\\SOFTWARE\\KovaStorage\\VSS\\Provider\\Array1\n"
            "\n",
            run.out);

  run = Reg({"query", "hkey_local_machine\\software\\kovastorage\\vss\\provider\\array1", "/s"});
  EXPECT_EQ("\n"
            "HKEY_LOCAL_MACHINE\\software\\kovastorage\\vss\\provider\\array1\n"
            "    APIKey    REG_BINARY    01D08C9DDF\n"
            "\n"
            "HKEY_LOCAL_MACHINE\\software\\kovastorage\\vss\\provider\\array1\\Empty\n"
            "\n",
            run.out);

  EXPECT_EQ("\nHKEY_LOCAL_MACHINE\\SOFTWARE\\KovaStorage\\VSS\\Provider\\Array1\\Empty\n",
            Reg({"query", std::string(kProvider) + "\\Array1\\Empty"}).out)
      << "a key with neither values nor subkeys";

  EXPECT_EQ("\nHKEY_LOCAL_MACHINE\\SOFTWARE\\KovaStorage\\VSS\\Provider\n"
            "    deletesnaps    REG_DWORD    0xff\n\n",
            Reg({"query", kProvider, "/v", "deletesnaps"}).out)
      << "a single value is shown by the name asked for";
}

TEST_F(KovaRegEditorTest, QueryOfOneValueOrTheDefault) {
  Reg({"add", kProvider});
  EXPECT_EQ("\nHKEY_LOCAL_MACHINE\\SOFTWARE\\KovaStorage\\VSS\\Provider\n"
            "    (Default)    REG_SZ    (value not set)\n\n",
            Reg({"query", kProvider, "/ve"}).out);
  const Outcome missing = Reg({"query", kProvider, "/v", "DeleteSnaps"});
  EXPECT_EQ(1, missing.code);
  EXPECT_EQ("", missing.out);
  EXPECT_EQ(kNotFound, missing.err);
  EXPECT_EQ(kNotFound, Reg({"query", "HKLM\\SOFTWARE\\Nope"}).err);
}

TEST_F(KovaRegEditorTest, RecursiveValueSearchCountsMatches) {
  Reg({"add", "HKLM\\SOFTWARE\\KovaStorage", "/v", "Logging", "/d", "Enabled"});
  Reg({"add", std::string(kProvider), "/v", "logging", "/d", "Disabled"});
  Reg({"add", "HKLM\\SOFTWARE\\KovaStorage\\Other"});
  Outcome run = Reg({"query", "HKLM\\SOFTWARE", "/v", "Logging", "/s"});
  EXPECT_EQ(0, run.code);
  EXPECT_EQ("\n"
            "HKEY_LOCAL_MACHINE\\SOFTWARE\\KovaStorage\n"
            "    Logging    REG_SZ    Enabled\n"
            "\n"
            "HKEY_LOCAL_MACHINE\\SOFTWARE\\KovaStorage\\VSS\\Provider\n"
            "    Logging    REG_SZ    Disabled\n"
            "\n"
            "End of search: 2 match(es) found.\n",
            run.out);
  run = Reg({"query", "HKLM\\SOFTWARE", "/v", "Nothing", "/s"});
  EXPECT_EQ(1, run.code);
  EXPECT_EQ("\nEnd of search: 0 match(es) found.\n", run.out);
}

TEST_F(KovaRegEditorTest, OverwritingAsksUnlessForced) {
  Reg({"add", kProvider, "/v", "DeleteSnaps", "/t", "REG_DWORD", "/d", "0"});
  const std::string prompt = "Value DeleteSnaps exists, overwrite(Yes/No)? ";
  Outcome run = Reg({"add", kProvider, "/v", "DeleteSnaps", "/t", "REG_DWORD", "/d", "3"}, "no\n");
  EXPECT_EQ(prompt + "The operation was canceled by the user.\n", run.out);
  EXPECT_EQ(0, Stored("DeleteSnaps").second[0]);

  run = Reg({"add", kProvider, "/v", "DeleteSnaps", "/t", "REG_DWORD", "/d", "3"}, "\nwhat\nYes\n");
  EXPECT_EQ(prompt + prompt + prompt + kDone, run.out) << "asks again until Yes or No";
  EXPECT_EQ(3, Stored("DeleteSnaps").second[0]);

  run = Reg({"add", kProvider, "/v", "DeleteSnaps", "/t", "REG_DWORD", "/d", "1"});
  EXPECT_EQ(prompt + "The operation was canceled by the user.\n", run.out) << "end of input is No";
  EXPECT_EQ(kDone, Reg({"add", kProvider, "/v", "DeleteSnaps", "/t", "REG_DWORD", "/d", "1", "/f"}).out);
  EXPECT_EQ(1, Stored("DeleteSnaps").second[0]);
}

TEST_F(KovaRegEditorTest, DeleteValuesAndKeys) {
  Reg({"add", kProvider, "/v", "A", "/d", "1"});
  Reg({"add", kProvider, "/v", "B", "/d", "2"});
  Reg({"add", kProvider, "/ve", "/d", "3"});
  Reg({"add", std::string(kProvider) + "\\Array1", "/v", "URL", "/d", "u"});

  Outcome run = Reg({"delete", kProvider, "/v", "a"}, "y\n");
  EXPECT_EQ("Delete the registry value a (Yes/No)? The operation completed successfully.\n", run.out);
  EXPECT_EQ(kNotFound, Reg({"delete", kProvider, "/v", "A", "/f"}).err);
  EXPECT_EQ("Delete the registry value (Default) (Yes/No)? The operation was canceled by the user.\n",
            Reg({"delete", kProvider, "/ve"}, "n\n").out);

  run = Reg({"delete", kProvider, "/va"}, "Y\n");
  EXPECT_EQ("Delete all values under the registry key "
            "HKEY_LOCAL_MACHINE\\SOFTWARE\\KovaStorage\\VSS\\Provider (Yes/No)? " +
                std::string(kDone),
            run.out);
  EXPECT_EQ("\nHKEY_LOCAL_MACHINE\\SOFTWARE\\KovaStorage\\VSS\\Provider\n"
            "HKEY_LOCAL_MACHINE\\SOFTWARE\\KovaStorage\\VSS\\Provider\\Array1\n\n",
            Reg({"query", kProvider}).out)
      << "/va keeps the subkeys";

  run = Reg({"delete", "HKLM\\SOFTWARE\\KovaStorage"}, "yes\n");
  EXPECT_EQ("Permanently delete the registry key HKEY_LOCAL_MACHINE\\SOFTWARE\\KovaStorage (Yes/No)? " +
                std::string(kDone),
            run.out);
  EXPECT_EQ(kNotFound, Reg({"query", kProvider}).err);
  EXPECT_EQ(kNotFound, Reg({"delete", "HKLM\\SOFTWARE\\KovaStorage", "/f"}).err);
}

TEST_F(KovaRegEditorTest, ProtectedKeysAreRefused) {
  std::unique_ptr<platform::RegistryKey> key;
  registry_->CreateKey(platform::RegistryRoot::kLocalMachine, "SOFTWARE\\Locked",
                       platform::KeyProtection::kAdministratorsOnly, &key);
  administrator_ = false;
  const Outcome denied = Reg({"query", "HKLM\\SOFTWARE\\Locked"});
  EXPECT_EQ(1, denied.code);
  EXPECT_EQ("ERROR: Access is denied.\n", denied.err);
  EXPECT_EQ("ERROR: Access is denied.\n", Reg({"delete", "HKLM\\SOFTWARE", "/f"}).err);
}

TEST_F(KovaRegEditorTest, BadCommandLinesAreRefusedWithoutChanges) {
  const std::string query_usage = "Type \"KovaReg QUERY /?\" for usage.\n";
  const std::string add_usage = "Type \"KovaReg ADD /?\" for usage.\n";
  const struct {
    std::vector<std::string> args;
    std::string err;
  } cases[] = {
      {{}, "ERROR: Invalid syntax.\nType \"KovaReg /?\" for usage.\n"},
      {{"copy", kProvider}, "ERROR: Invalid syntax.\nType \"KovaReg /?\" for usage.\n"},
      {{"query"}, "ERROR: Invalid syntax.\n" + query_usage},
      {{"query", "HKCU\\Software"}, "ERROR: Invalid key name.\n" + query_usage},
      {{"query", "\\\\server\\HKLM\\Software"}, "ERROR: Invalid key name.\n" + query_usage},
      {{"query", kProvider, "/v"}, "ERROR: Invalid syntax.\n" + query_usage},
      {{"query", kProvider, "/v", "a", "/ve"}, "ERROR: Invalid syntax.\n" + query_usage},
      {{"query", kProvider, "/s", "/s"}, "ERROR: Invalid syntax.\n" + query_usage},
      {{"query", kProvider, "stray"}, "ERROR: Invalid syntax.\n" + query_usage},
      {{"add", kProvider, "/v", "X", "/t", "REG_MULTI_SZ", "/d", "a"}, "ERROR: Invalid syntax.\n" + add_usage},
      {{"add", kProvider, "/v", "X", "/t", "REG_DWORD", "/d", "0x100000000"}, "ERROR: Invalid syntax.\n" + add_usage},
      {{"add", kProvider, "/v", "X", "/t", "REG_DWORD", "/d", "-1"}, "ERROR: Invalid syntax.\n" + add_usage},
      {{"add", kProvider, "/v", "X", "/t", "REG_BINARY", "/d", "0g"}, "ERROR: Invalid syntax.\n" + add_usage},
      {{"add", kProvider, "/v", "X", "/s", ","}, "ERROR: Invalid syntax.\n" + add_usage},
      {{"delete", "HKLM", "/f"}, "ERROR: Invalid key name.\nType \"KovaReg DELETE /?\" for usage.\n"},
      {{"delete", kProvider, "/v", "X", "/va"}, "ERROR: Invalid syntax.\nType \"KovaReg DELETE /?\" for usage.\n"},
  };
  for (const auto& c : cases) {
    const Outcome run = Reg(c.args);
    EXPECT_EQ(1, run.code) << testing::PrintToString(c.args);
    EXPECT_EQ(c.err, run.err) << testing::PrintToString(c.args);
    EXPECT_EQ("", run.out) << testing::PrintToString(c.args);
  }
  std::unique_ptr<platform::RegistryKey> key;
  EXPECT_EQ(RegistryStatus::kNotFound,
            registry_->OpenKey(platform::RegistryRoot::kLocalMachine, "SOFTWARE", &key));
}

TEST_F(KovaRegEditorTest, HelpIsShownForTheToolAndEachOperation) {
  for (const char* operation : {"query", "ADD", "Delete"}) {
    const Outcome run = Reg({operation, "/?"});
    EXPECT_EQ(0, run.code);
    EXPECT_NE(std::string::npos, run.out.find(std::string("KovaReg ")));
    EXPECT_NE(std::string::npos, run.out.find("KeyName")) << operation;
  }
  EXPECT_NE(std::string::npos, Reg({"/?"}).out.find("QUERY | ADD | DELETE"));
  EXPECT_NE(std::string::npos, Reg({"add", "/?"}).out.find("REG_SZ | REG_EXPAND_SZ | REG_DWORD | REG_BINARY"));
}

TEST(KovaRegValuesTest, DataIsShownAsTheConsoleToolShowsIt) {
  EXPECT_EQ("0x0", FormatData(platform::kRegDword, {0, 0, 0, 0}));
  EXPECT_EQ("0xdeadbeef", FormatData(platform::kRegDword, {0xEF, 0xBE, 0xAD, 0xDE}));
  EXPECT_EQ("0102", FormatData(platform::kRegDword, {1, 2})) << "a DWORD of the wrong size";
  EXPECT_EQ("00ABFF", FormatData(platform::kRegBinary, {0, 0xAB, 0xFF}));
  EXPECT_EQ("", FormatData(platform::kRegBinary, {}));
  EXPECT_EQ("x", FormatData(platform::kRegSz, {'x', 0, 0, 0, 'y', 0}));
  EXPECT_EQ("REG_MULTI_SZ", TypeName(platform::kRegSz + 6));
  EXPECT_EQ("REG_UNKNOWN", TypeName(99));
}

}  // namespace
}  // namespace kovareg
