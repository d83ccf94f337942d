// Taking command lines apart the Windows way.
#include <gtest/gtest.h>

#include "platform/command_line_words.h"

namespace {

using platform::ArgumentsAfterProgramName;
using platform::SplitCommandLine;
using Words = std::vector<std::string>;

TEST(SplitCommandLineTest, BlanksSeparateWords) {
  EXPECT_EQ(SplitCommandLine("msiexec.exe  /l*v log\t/i  a.msi "),
            (Words{"msiexec.exe", "/l*v", "log", "/i", "a.msi"}));
  EXPECT_TRUE(SplitCommandLine(" \t ").empty());
}

TEST(SplitCommandLineTest, QuotesKeepBlanksAndAreDropped) {
  EXPECT_EQ(SplitCommandLine("run /i \"C:\\My Temp\\a.msi\" x\"y z\""),
            (Words{"run", "/i", "C:\\My Temp\\a.msi", "xy z"}));
  EXPECT_EQ(SplitCommandLine("a \"\" b"), (Words{"a", "", "b"}));
}

TEST(SplitCommandLineTest, DoubledQuotesInsideAQuotedPartAreOneQuote) {
  EXPECT_EQ(SplitCommandLine("say \"a \"\"b\"\" c\""), (Words{"say", "a \"b\" c"}));
}

TEST(SplitCommandLineTest, AnUnterminatedQuoteRunsToTheEnd) {
  EXPECT_EQ(SplitCommandLine("a \"b c"), (Words{"a", "b c"}));
}

TEST(ArgumentsAfterProgramNameTest, SkipsAPlainProgramName) {
  EXPECT_EQ(ArgumentsAfterProgramName("KovaVssInstaller.exe /x  /s"), "/x  /s");
  EXPECT_EQ(ArgumentsAfterProgramName("KovaVssInstaller.exe"), "");
}

TEST(ArgumentsAfterProgramNameTest, SkipsAQuotedProgramNameWithBlanks) {
  EXPECT_EQ(ArgumentsAfterProgramName("\"C:\\Program Files\\K.exe\"  /e"), "/e");
  EXPECT_EQ(ArgumentsAfterProgramName("\"C:\\Program Files\\K.exe"), "");
}

TEST(ArgumentsAfterProgramNameTest, KeepsTheArgumentsAsTheyAre) {
  EXPECT_EQ(ArgumentsAfterProgramName("k.exe \"/x\" -S\t"), "\"/x\" -S\t");
}

}  // namespace
