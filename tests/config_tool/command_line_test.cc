// The command line as the commands see it, and the URL pieces the tool
// derives from what the user typed.
#include <gtest/gtest.h>

#include <string>

#include "OstaraRegTool/array_reachability.h"
#include "OstaraRegTool/command_line.h"

namespace {

TEST(CommandLineTest, TheJoinedLineLeavesOutTheProgramAndEndsInASpace) {
  EXPECT_EQ("", JoinCommandLine({"KovaProviderConfig"}));
  EXPECT_EQ("list ", JoinCommandLine({"KovaProviderConfig", "list"}));
  EXPECT_EQ("add --url a --user b c ",
            JoinCommandLine({"x", "add", "--url", "a", "--user", "b", "c"}));
}

TEST(CommandLineTest, PatternsAreSearchedAnywhereInTheLine) {
  EXPECT_TRUE(MatchesPattern("add -hx ", "add -h"));
  EXPECT_TRUE(MatchesPattern("add --url a --user b c ", "add --url [^\\s]+ --user [^\\s]+ [^\\s]+"));
  EXPECT_FALSE(MatchesPattern("add --user b --url a c ", "add --url [^\\s]+ --user [^\\s]+ [^\\s]+"));
  EXPECT_TRUE(MatchesPattern("log --enable --loglevel 4 ", "log --enable --loglevel [0-4] "));
  EXPECT_FALSE(MatchesPattern("log --enable --loglevel 7 ", "log --enable --loglevel [0-4] "));
  EXPECT_FALSE(MatchesPattern("log --enable --loglevel 12 ", "log --enable --loglevel [0-4] "));
  EXPECT_FALSE(MatchesPattern("remove  ", "remove [^\\s]+ "));
}

TEST(CommandLineTest, AnEnormousArgumentMatchesNothingInsteadOfExhaustingTheStack) {
  const std::string huge(200000, 'a');
  EXPECT_FALSE(MatchesPattern("remove " + huge + " ", "remove [^\\s]+ "));
  const std::string long_enough(kMaxPatternLineLength - 8, 'a');
  EXPECT_TRUE(MatchesPattern("remove " + long_enough + " ", "remove [^\\s]+ "));
}

TEST(CommandLineTest, TheLoggedLineMasksWhatFollowsPasswordInAnyCase) {
  EXPECT_EQ("tool add --url u --user me --password ******** name ",
            MaskedCommandLine({"tool", "add", "--url", "u", "--user", "me", "--password",
                               "s3cret", "name"}));
  EXPECT_EQ("tool --PassWord ******** x ",
            MaskedCommandLine({"tool", "--PassWord", "s3cret", "x"}));
  EXPECT_EQ("tool --password ", MaskedCommandLine({"tool", "--password"}));
  EXPECT_EQ("tool --passwords s3cret ", MaskedCommandLine({"tool", "--passwords", "s3cret"}));
}

TEST(CommandLineTest, TheProgramNameLosesItsFolderAndEverythingFromItsFirstDot) {
  EXPECT_EQ("KovaProviderConfig", ProgramBaseName("/usr/sbin/KovaProviderConfig"));
  EXPECT_EQ("KovaProviderConfig", ProgramBaseName("C:\\Kova\\KovaProviderConfig.exe"));
  EXPECT_EQ("Kova", ProgramBaseName("./Kova.Provider.Config"));
  EXPECT_EQ("", ProgramBaseName(""));
}

TEST(CommandLineTest, AUrlGetsTheSchemeOnlyWhenItHasNoneAnywhere) {
  EXPECT_EQ("https://10.0.0.5", WithHttpsScheme("10.0.0.5"));
  EXPECT_EQ("https://10.0.0.5:8443", WithHttpsScheme("https://10.0.0.5:8443"));
  EXPECT_EQ("xhttps://a", WithHttpsScheme("xhttps://a"));
  EXPECT_EQ("https://http://a", WithHttpsScheme("http://a"));
}

TEST(EchoTargetTest, TheEchoGoesToTheTextBeforeThePort) {
  EXPECT_EQ("127.0.0.1", EchoHostFromUrl("https://127.0.0.1:8443"));
  EXPECT_EQ("array.example.com", EchoHostFromUrl("https://array.example.com"));
  EXPECT_EQ("host", EchoHostFromUrl("https://https://host:1/x"));
  EXPECT_EQ("", EchoHostFromUrl(":443"));
}

TEST(EchoTargetTest, ThePayloadIsTheTextFollowedByZerosTo32Bytes) {
  std::vector<uint8_t> expected(32, 0);
  const std::string text = "Data Buffer";
  std::copy(text.begin(), text.end(), expected.begin());
  EXPECT_EQ(expected, EchoPayload());
}

}  // namespace
