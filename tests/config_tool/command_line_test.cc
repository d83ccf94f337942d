// The command line as the commands see it, and the URL pieces the tool
// derives from what the user typed.
#include <gtest/gtest.h>

#include <string>

#include "OstaraRegTool/array_reachability.h"
#include "OstaraRegTool/command_line.h"
#include "tests/support/wide_text.h"

namespace {

// The functions under test, with UTF-8 text in and out.
std::string Joined(std::initializer_list<std::string> args) {
  return Narrow(JoinCommandLine(WideList(args)));
}
std::string Masked(std::initializer_list<std::string> args) {
  return Narrow(MaskedCommandLine(WideList(args)));
}
bool Matches(const std::string& line, const char* pattern) { return MatchesPattern(Wide(line), pattern); }
std::string BaseName(const std::string& program) { return Narrow(ProgramBaseName(Wide(program))); }
std::string WithScheme(const std::string& url) { return Narrow(WithHttpsScheme(Wide(url))); }
std::string EchoHost(const std::string& url) { return EchoHostFromUrl(Wide(url)); }

TEST(CommandLineTest, TheJoinedLineLeavesOutTheProgramAndEndsInASpace) {
  EXPECT_EQ("", Joined({"KovaProviderConfig"}));
  EXPECT_EQ("list ", Joined({"KovaProviderConfig", "list"}));
  EXPECT_EQ("add --url a --user b c ",
            Joined({"x", "add", "--url", "a", "--user", "b", "c"}));
}

TEST(CommandLineTest, PatternsAreSearchedAnywhereInTheLine) {
  EXPECT_TRUE(Matches("add -hx ", "add -h"));
  EXPECT_TRUE(Matches("add --url a --user b c ", "add --url [^\\s]+ --user [^\\s]+ [^\\s]+"));
  EXPECT_FALSE(Matches("add --user b --url a c ", "add --url [^\\s]+ --user [^\\s]+ [^\\s]+"));
  EXPECT_TRUE(Matches("log --enable --loglevel 4 ", "log --enable --loglevel [0-4] "));
  EXPECT_FALSE(Matches("log --enable --loglevel 7 ", "log --enable --loglevel [0-4] "));
  EXPECT_FALSE(Matches("log --enable --loglevel 12 ", "log --enable --loglevel [0-4] "));
  EXPECT_FALSE(Matches("remove  ", "remove [^\\s]+ "));
}

TEST(CommandLineTest, AnEnormousArgumentMatchesNothingInsteadOfExhaustingTheStack) {
  const std::string huge(200000, 'a');
  EXPECT_FALSE(Matches("remove " + huge + " ", "remove [^\\s]+ "));
  const std::string long_enough(kMaxPatternLineLength - 8, 'a');
  EXPECT_TRUE(Matches("remove " + long_enough + " ", "remove [^\\s]+ "));
}

TEST(CommandLineTest, TheLoggedLineMasksWhatFollowsPasswordInAnyCase) {
  EXPECT_EQ("tool add --url u --user me --password ******** name ",
            Masked({"tool", "add", "--url", "u", "--user", "me", "--password",
                               "s3cret", "name"}));
  EXPECT_EQ("tool --PassWord ******** x ",
            Masked({"tool", "--PassWord", "s3cret", "x"}));
  EXPECT_EQ("tool --password ", Masked({"tool", "--password"}));
  EXPECT_EQ("tool --passwords s3cret ", Masked({"tool", "--passwords", "s3cret"}));
}

TEST(CommandLineTest, TheProgramNameLosesItsFolderAndEverythingFromItsFirstDot) {
  EXPECT_EQ("KovaProviderConfig", BaseName("/usr/sbin/KovaProviderConfig"));
  EXPECT_EQ("KovaProviderConfig", BaseName("C:\\Kova\\KovaProviderConfig.exe"));
  EXPECT_EQ("Kova", BaseName("./Kova.Provider.Config"));
  EXPECT_EQ("", BaseName(""));
}

TEST(CommandLineTest, AUrlGetsTheSchemeOnlyWhenItHasNoneAnywhere) {
  EXPECT_EQ("https://10.0.0.5", WithScheme("10.0.0.5"));
  EXPECT_EQ("https://10.0.0.5:8443", WithScheme("https://10.0.0.5:8443"));
  EXPECT_EQ("xhttps://a", WithScheme("xhttps://a"));
  EXPECT_EQ("https://http://a", WithScheme("http://a"));
}

TEST(EchoTargetTest, TheEchoGoesToTheTextBeforeThePort) {
  EXPECT_EQ("127.0.0.1", EchoHost("https://127.0.0.1:8443"));
  EXPECT_EQ("array.example.com", EchoHost("https://array.example.com"));
  EXPECT_EQ("host", EchoHost("https://https://host:1/x"));
  EXPECT_EQ("", EchoHost(":443"));
}

TEST(EchoTargetTest, ThePayloadIsTheTextFollowedByZerosTo32Bytes) {
  std::vector<uint8_t> expected(32, 0);
  const std::string text = "Data Buffer";
  std::copy(text.begin(), text.end(), expected.begin());
  EXPECT_EQ(expected, EchoPayload());
}

}  // namespace
