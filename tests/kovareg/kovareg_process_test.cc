// KovaReg run as an administrator runs it: a separate process on the hive
// of its own state folder, answers piped to its input, whole output
// compared.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/registry.h"
#include "platform/registry_hive.h"
#include "tests/support/program_run.h"
#include "tests/support/scoped_state_dir.h"

namespace {

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

class KovaRegProcessTest : public testing::Test {
 protected:
  ProgramRun Reg(const std::vector<std::string>& args, const std::string& input = "") {
    return RunProgram(KOVAREG_PATH, args, {state_.str(), input, -1});
  }


  ScopedStateDir state_;
};

TEST_F(KovaRegProcessTest, AnAdministratorSetsTheProvidersSwitches) {
  const std::string key = "HKLM\\SOFTWARE\\KovaStorage\\VSS\\Provider";
  const std::string done = "The operation completed successfully.\n";
  EXPECT_EQ(done, Reg({"add", key, "/v", "DeleteSnaps", "/t", "REG_DWORD", "/d", "1"}).out);
  EXPECT_EQ(done, Reg({"add", key, "/v", "EradicateVolumes", "/t", "REG_DWORD", "/d", "0"}).out);
  EXPECT_EQ(done, Reg({"add", key, "/v", "LogInterrogate", "/t", "REG_DWORD", "/d", "1"}).out);
  const ProgramRun answer = Reg({"add", key, "/v", "DeleteSnaps", "/t", "REG_DWORD", "/d", "3"}, "y\n");
  EXPECT_EQ("Value DeleteSnaps exists, overwrite(Yes/No)? " + done, answer.out);

  const ProgramRun query = Reg({"query", key});
  EXPECT_EQ(0, query.exit_code);
  EXPECT_EQ("", query.err);
  EXPECT_EQ("\n"
            "HKEY_LOCAL_MACHINE\\SOFTWARE\\KovaStorage\\VSS\\Provider\n"
            "    DeleteSnaps    REG_DWORD    0x3\n"
            "    EradicateVolumes    REG_DWORD    0x0\n"
            "    LogInterrogate    REG_DWORD    0x1\n"
            "\n",
            query.out);

  // What the provider will read: 4-byte little-endian DWORDs in the hive.
  struct stat st;
  ASSERT_EQ(0, stat(state_.File("registry.db").c_str(), &st));
  EXPECT_EQ(0600u, st.st_mode & 0777);
  platform::HiveOptions options;
  options.path = state_.File("registry.db");
  auto hive = platform::OpenRegistryHive(options);
  std::unique_ptr<platform::RegistryKey> provider;
  ASSERT_EQ(platform::RegistryStatus::kOk,
            hive->OpenKey(platform::RegistryRoot::kLocalMachine, "SOFTWARE\\KovaStorage\\VSS\\Provider",
                          &provider));
  uint8_t data[4] = {};
  uint32_t size = sizeof(data), type = 0;
  ASSERT_EQ(platform::RegistryStatus::kOk, provider->QueryValue("DeleteSnaps", &type, data, &size));
  EXPECT_EQ(platform::kRegDword, type);
  EXPECT_EQ(4u, size);
  EXPECT_EQ(3, data[0]);

  const ProgramRun removed = Reg({"delete", key, "/v", "LogInterrogate", "/f"});
  EXPECT_EQ(done, removed.out);
  const ProgramRun gone = Reg({"query", key, "/v", "LogInterrogate"});
  EXPECT_EQ(1, gone.exit_code);
  EXPECT_EQ("", gone.out);
  EXPECT_EQ("ERROR: The system was unable to find the specified registry key or value.\n", gone.err);
}

TEST_F(KovaRegProcessTest, ACorruptHiveIsReportedAndLeftAlone) {
  const std::string garbage(5000, '\x5A');
  std::ofstream(state_.File("registry.db"), std::ios::binary) << garbage;
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"query", "HKLM\\SOFTWARE"},
        std::vector<std::string>{"add", "HKLM\\SOFTWARE\\X", "/v", "A", "/d", "b", "/f"}}) {
    const ProgramRun run = Reg(args);
    EXPECT_EQ(1, run.exit_code);
    EXPECT_EQ("", run.out);
    EXPECT_EQ("ERROR: The registry hive cannot be opened or read.\n", run.err);
  }
  EXPECT_EQ(garbage, ReadFile(state_.File("registry.db")));
}

}  // namespace
