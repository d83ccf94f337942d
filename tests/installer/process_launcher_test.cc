// The operating system's process launcher: exit codes, programs that do
// not start, and arguments with blanks.
#include <gtest/gtest.h>

#include "platform/process_launcher.h"

namespace {

#ifdef _WIN32
constexpr char kExit3[] = "cmd.exe /c exit 3";
#else
constexpr char kExit3[] = "sh -c \"exit 3\"";
#endif

TEST(ProcessLauncherTest, ReportsTheProgramsExitCode) {
  uint32_t exit_code = 99;
  ASSERT_TRUE(platform::SystemProcessLauncher().RunAndWait(kExit3, &exit_code));
  EXPECT_EQ(exit_code, 3u);
}

TEST(ProcessLauncherTest, AProgramThatDoesNotExistDoesNotRun) {
  uint32_t exit_code = 99;
  EXPECT_FALSE(
      platform::SystemProcessLauncher().RunAndWait("kova-no-such-program.exe /x", &exit_code));
  EXPECT_EQ(exit_code, 0u);
  EXPECT_FALSE(platform::SystemProcessLauncher().RunAndWait("", &exit_code));
}

#ifndef _WIN32
TEST(ProcessLauncherTest, AQuotedArgumentArrivesWhole) {
  uint32_t exit_code = 99;
  const char script[] = "sh -c \"test \"\"$1\"\" = 'a b'\" sh ";
  ASSERT_TRUE(platform::SystemProcessLauncher().RunAndWait(std::string(script) + "\"a b\"",
                                                           &exit_code));
  EXPECT_EQ(exit_code, 0u);
  ASSERT_TRUE(
      platform::SystemProcessLauncher().RunAndWait(std::string(script) + "a b", &exit_code));
  EXPECT_EQ(exit_code, 1u);
}

TEST(ProcessLauncherTest, AProgramEndedByASignalGives128PlusTheSignal) {
  uint32_t exit_code = 0;
  ASSERT_TRUE(platform::SystemProcessLauncher().RunAndWait("sh -c \"kill -9 $$\"", &exit_code));
  EXPECT_EQ(exit_code, 128u + 9u);
}
#endif

}  // namespace
