// How a message box reads and is answered on a console, where no box can
// be shown.
#include <gtest/gtest.h>

#include "platform/message_box.h"

namespace {

using platform::ConsoleMessageText;
using platform::MessageAnswer;
using platform::MessageKind;
using platform::ParseConsoleAnswer;

TEST(ConsoleAnswerTest, YesAnswersInAnyCase) {
  for (const char* line : {"y", "Y", "yes", "YES", " Yes \r", "y\r"}) {
    EXPECT_EQ(ParseConsoleAnswer(line), MessageAnswer::kYes) << line;
  }
}

TEST(ConsoleAnswerTest, AnythingElseIsNo) {
  for (const char* line : {"", "n", "no", "yess", "y y", "ja", "\r"}) {
    EXPECT_EQ(ParseConsoleAnswer(line), MessageAnswer::kNo) << line;
  }
}

TEST(ConsoleMessageTest, AMessageIsCaptionTextAndALineFeed) {
  EXPECT_EQ(ConsoleMessageText(MessageKind::kError, "Failed.", "Setup"), "Setup: Failed.\n");
  EXPECT_EQ(ConsoleMessageText(MessageKind::kInformation, "a\nb", "S"), "S: a\nb\n");
}

TEST(ConsoleMessageTest, AQuestionEndsWithItsPrompt) {
  EXPECT_EQ(ConsoleMessageText(MessageKind::kQuestion, "Go on?", "Setup"),
            "Setup: Go on? [y/n] ");
}

}  // namespace
