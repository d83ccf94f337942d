// The hidden password prompt of "add" on a real (pseudo-)terminal: echo is
// off while the password is typed and back on however the tool ends.
#ifdef _WIN32
#include <gtest/gtest.h>

TEST(PasswordPromptTerminal, NotRunOnWindows) {
  GTEST_SKIP() << "a pseudo-terminal is a POSIX facility; the Windows console input is typed at "
                  "in platform_facilities_win_test";
}
#else
#include <gtest/gtest.h>
#include <signal.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "platform/process_privilege.h"
#include "tests/support/program_run.h"
#include "tests/support/temp_dir.h"
#include "tools/KovaArraySim/array_sim.h"

namespace {

constexpr int kTimeoutMs = 20000;

class PasswordPromptTerminalTest : public testing::Test {
 protected:
  // The tool prompts only for an administrator (effective user id 0).
  static bool CanPrompt() { return platform::IsProcessAdministrator(); }

  void SetUp() override { sim_.Start(); }

  // "add" without --password, started on its own terminal and waiting at
  // the prompt with echo off.
  std::unique_ptr<TerminalRun> StartAtPrompt() {
    auto tool = std::make_unique<TerminalRun>(
        KOVA_TOOL_PATH, std::vector<std::string>{"add", "--url", sim_.Url(), "--user", "admin", "lab-array"},
        ProgramRunOptions{state_.str(), "", -1});
    EXPECT_TRUE(tool->Started());
    EXPECT_TRUE(tool->Echoes());
    EXPECT_TRUE(tool->WaitForOutput("Enter user password: ", kTimeoutMs)) << tool->Output();
    // The prompt line is printed just before echo goes off.
    for (int i = 0; i < 2000 && tool->Echoes(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_FALSE(tool->Echoes());
    EXPECT_FALSE(tool->LineMode());
    return tool;
  }

  TempDir state_;
  kova_sim::ArraySim sim_;
};

TEST_F(PasswordPromptTerminalTest, EchoIsBackOnWhenTheToolIsKilledDuringThePrompt) {
  if (!CanPrompt()) GTEST_SKIP() << "needs an administrator (effective user id 0)";
  for (int signal_number : {SIGTERM, SIGHUP, SIGQUIT}) {
    std::unique_ptr<TerminalRun> tool = StartAtPrompt();
    tool->Type("half");
    tool->Signal(signal_number);
    const TerminalRun::End end = tool->Wait(kTimeoutMs);
    EXPECT_EQ(signal_number, end.end_signal) << "the signal still ends the tool";
    EXPECT_TRUE(tool->Echoes()) << signal_number;
    EXPECT_TRUE(tool->LineMode()) << signal_number;
  }
}

TEST_F(PasswordPromptTerminalTest, EchoIsBackOnWhenCtrlCIsTypedAtThePrompt) {
  if (!CanPrompt()) GTEST_SKIP() << "needs an administrator (effective user id 0)";
  std::unique_ptr<TerminalRun> tool = StartAtPrompt();
  tool->Type("adm\x03");
  const TerminalRun::End end = tool->Wait(kTimeoutMs);
  EXPECT_EQ(SIGINT, end.end_signal);
  EXPECT_TRUE(tool->Echoes());
  EXPECT_TRUE(tool->LineMode());
  EXPECT_TRUE(sim_.Requests().empty()) << "nothing was sent for a password not finished";
}

TEST_F(PasswordPromptTerminalTest, EchoIsBackOnAfterThePasswordWasTyped) {
  if (!CanPrompt()) GTEST_SKIP() << "needs an administrator (effective user id 0)";
  std::unique_ptr<TerminalRun> tool = StartAtPrompt();
  tool->Type("admin-password\r");
  const TerminalRun::End end = tool->Wait(kTimeoutMs);
  EXPECT_EQ(0, end.exit_code) << tool->Output();
  EXPECT_TRUE(tool->Echoes());
  EXPECT_TRUE(tool->LineMode());
  EXPECT_NE(std::string::npos, tool->Output().find(std::string(14, '*'))) << tool->Output();
  EXPECT_EQ(std::string::npos, tool->Output().find("admin-password")) << "the terminal never showed it";
  EXPECT_NE(std::string::npos, tool->Output().find("lab-array")) << tool->Output();
}

}  // namespace
#endif  // _WIN32
