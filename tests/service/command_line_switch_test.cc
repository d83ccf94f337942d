// The scan for switches: "-" and "/" anywhere, the word after them compared
// without regard to case and ended by a blank, a tab or the end.
#include <gtest/gtest.h>

#include <string>

#include "provider/service/command_line_switch.h"

namespace {

using kova_service::FindNextSwitch;
using kova_service::SwitchWordIs;

// The words after each switch character, in order.
std::vector<std::string> WordsAfterSwitches(const std::string& line) {
  std::vector<std::string> words;
  for (size_t at = FindNextSwitch(line, 0); at != std::string::npos; at = FindNextSwitch(line, at)) {
    words.push_back(line.substr(at, line.find_first_of(" \t", at) - at));
  }
  return words;
}

TEST(CommandLineSwitchTest, FindsEverySwitchCharacterAlsoInsideWords) {
  EXPECT_EQ((std::vector<std::string>{"a", "b", "c-d", "d"}), WordsAfterSwitches("x /a -b /c-d"));
  EXPECT_EQ((std::vector<std::string>{"Service/UnregServer", "UnregServer"}),
            WordsAfterSwitches("/Service/UnregServer"));
  EXPECT_TRUE(WordsAfterSwitches("Service UnregServer").empty());
  EXPECT_EQ((std::vector<std::string>{""}), WordsAfterSwitches("trailing-"));
}

TEST(CommandLineSwitchTest, TheWordMatchesInAnyCaseUpToABlankTabOrEnd) {
  const std::string line = "/service -SERVICE\t/SeRvIcE";
  EXPECT_TRUE(SwitchWordIs(line, 1, "Service"));
  EXPECT_TRUE(SwitchWordIs(line, 10, "Service"));
  EXPECT_TRUE(SwitchWordIs(line, 19, "Service"));
  EXPECT_TRUE(SwitchWordIs("-unregserver", 1, "UnregServer"));
}

TEST(CommandLineSwitchTest, ALongerOrShorterWordIsNoMatch) {
  EXPECT_FALSE(SwitchWordIs("/ServiceX", 1, "Service"));
  EXPECT_FALSE(SwitchWordIs("/Servic", 1, "Service"));
  EXPECT_FALSE(SwitchWordIs("/Service\"", 1, "Service"));
  EXPECT_FALSE(SwitchWordIs("/", 1, "Service"));
  EXPECT_FALSE(SwitchWordIs("/RegServer", 1, "Service"));
}

}  // namespace
