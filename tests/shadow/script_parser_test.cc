// The script grammar: which words make which call, and which lines are
// refused before anything runs.
#include <gtest/gtest.h>

#include <sstream>

#include "platform/guid.h"
#include "tools/KovaVssShadow/script_parser.h"

namespace {

constexpr char kSet[] = "{6B29FC40-CA47-1067-B31D-00DD010662DA}";
constexpr char kSnapshot[] = "{11111111-2222-3333-4444-555555555555}";

ScriptCall Parse(const std::string& line) {
  std::optional<ScriptCall> call;
  std::string error;
  EXPECT_TRUE(ParseScriptLine(line, 7, &call, &error)) << line << ": " << error;
  EXPECT_TRUE(call.has_value()) << line;
  return call.value_or(ScriptCall{});
}

std::string Refusal(const std::string& line) {
  std::optional<ScriptCall> call;
  std::string error;
  EXPECT_FALSE(ParseScriptLine(line, 1, &call, &error)) << line;
  EXPECT_FALSE(call.has_value());
  return error;
}

TEST(ScriptParserTest, SnapshotSetMethodsTakeTheSetGuid) {
  for (const char* method : {"EndPrepareSnapshots", "PreCommitSnapshots", "CommitSnapshots", "PostCommitSnapshots",
                             "PreFinalCommitSnapshots", "PostFinalCommitSnapshots", "AbortSnapshots"}) {
    const ScriptCall call = Parse(std::string(method) + " " + kSet);
    EXPECT_EQ(method, call.name);
    EXPECT_EQ(kSet, platform::GuidToString(call.set_id));
    EXPECT_TRUE(call.luns.empty());
    EXPECT_EQ(std::string(method) + " needs a snapshot set GUID such as {6B29FC40-CA47-1067-B31D-00DD010662DA}",
              Refusal(method));
    EXPECT_EQ(std::string(method) + " takes no LUN", Refusal(std::string(method) + " " + kSet + " @x.json"));
  }
  EXPECT_EQ(3, Parse(std::string("PostCommitSnapshots ") + kSet + " count=3").snapshot_count);
  EXPECT_EQ(7, Parse(std::string("CommitSnapshots ") + "6b29fc40-ca47-1067-b31d-00dd010662da").line);
}

TEST(ScriptParserTest, BeginPrepareSnapshotTakesSetLunsAndOptions) {
  const ScriptCall plain = Parse(std::string("BeginPrepareSnapshot ") + kSet + " @luns.json /dev/sdb");
  EXPECT_EQ(ScriptMethod::kBeginPrepareSnapshot, plain.method);
  EXPECT_EQ((std::vector<std::string>{"@luns.json", "/dev/sdb"}), plain.luns);
  EXPECT_FALSE(plain.snapshot_id.has_value());
  EXPECT_EQ(0, plain.context);

  const ScriptCall full =
      Parse(std::string("beginpreparesnapshot ") + kSet + " context=0x40000 @a.json snapshot=" + kSnapshot);
  EXPECT_EQ("BeginPrepareSnapshot", full.name);
  ASSERT_TRUE(full.snapshot_id.has_value());
  EXPECT_EQ(kSnapshot, platform::GuidToString(*full.snapshot_id));
  EXPECT_EQ(0x40000, full.context);
  EXPECT_EQ((std::vector<std::string>{"@a.json"}), full.luns);
}

TEST(ScriptParserTest, LunMethodsTakeTheirArgumentsAndOptions) {
  EXPECT_EQ(-5, Parse("AreLunsSupported context=-5 @a.json").context);
  EXPECT_TRUE(Parse("AreLunsSupported").luns.empty());  // a count of 0 is a call VSS may make
  EXPECT_EQ("t.json", Parse("GetTargetLuns save=t.json @a.json").save_path);
  EXPECT_EQ(VSS_ONLUNSTATECHANGE_DO_MASK_LUNS, Parse("OnLunStateChange @t.json").flags);
  EXPECT_EQ(0x100u, Parse("OnLunStateChange flags=256 @t.json").flags);
  EXPECT_EQ((std::vector<std::string>{"@s.json", "@t.json", "/dev/sdc", "/dev/sdd"}),
            Parse("ResyncLuns @s.json @t.json /dev/sdc /dev/sdd").luns);
  EXPECT_EQ(1u, Parse("OnLunEmpty @t.json").luns.size());
  EXPECT_EQ(1u, Parse("FillInLunInfo /dev/sdb").luns.size());
  EXPECT_EQ(2u, Parse("LocateLuns @t.json @u.json").luns.size());
  EXPECT_EQ(1u, Parse("OnReuseLuns @t.json").luns.size());
  // A file name may hold '=' after the '@'.
  EXPECT_EQ("@x=y.json", Parse("LocateLuns @x=y.json").luns.at(0));

  EXPECT_EQ("OnLunEmpty takes exactly one LUN", Refusal("OnLunEmpty @a.json @b.json"));
  EXPECT_EQ("FillInLunInfo takes exactly one LUN", Refusal("FillInLunInfo"));
  EXPECT_EQ("ResyncLuns takes SOURCE TARGET pairs of LUNs", Refusal("ResyncLuns @a.json"));
  EXPECT_EQ("unknown option context= for GetTargetLuns", Refusal("GetTargetLuns context=1 @a.json"));
  EXPECT_EQ("LocateLuns takes no option flags=", Refusal("LocateLuns flags=1 @a.json"));
  EXPECT_EQ("context=1x is not a number", Refusal("AreLunsSupported context=1x"));
  EXPECT_EQ("context=08x is not a number", Refusal("AreLunsSupported context=08x"));
  EXPECT_EQ("flags=-1 is not a number", Refusal("OnLunStateChange flags=-1 @a.json"));
  EXPECT_EQ("count=2147483648 is not a number", Refusal(std::string("PostCommitSnapshots ") + kSet + " count=2147483648"));
  EXPECT_EQ("snapshot={bad} is not a GUID", Refusal(std::string("BeginPrepareSnapshot ") + kSet + " snapshot={bad}"));
  EXPECT_EQ("save= needs a file name", Refusal("GetTargetLuns save= @a.json"));
}

TEST(ScriptParserTest, NotificationsAndCapabilities) {
  EXPECT_EQ(ScriptMethod::kOnLoad, Parse("OnLoad").method);
  EXPECT_TRUE(Parse("OnUnload yes").force);
  EXPECT_FALSE(Parse("OnUnload no").force);
  EXPECT_EQ(ScriptMethod::kGetProviderCapabilities, Parse("  GetProviderCapabilities  ").method);
  EXPECT_EQ("OnUnload needs yes or no (force the unload or not)", Refusal("OnUnload"));
  EXPECT_EQ("OnUnload needs yes or no (force the unload or not)", Refusal("OnUnload true"));
  EXPECT_EQ("OnLoad takes no LUN", Refusal("OnLoad @a.json"));
  EXPECT_EQ("unknown provider method \"Commit\"", Refusal("Commit"));
}

TEST(ScriptParserTest, QuotesGroupWordsWithBlanks) {
  std::vector<std::string> words;
  std::string error;
  ASSERT_TRUE(SplitScriptWords(R"(LocateLuns "@my luns.json" @"b c".json "q\"\\")", &words, &error));
  EXPECT_EQ((std::vector<std::string>{"LocateLuns", "@my luns.json", "@b c.json", "q\"\\"}), words);
  EXPECT_FALSE(SplitScriptWords(R"(LocateLuns "@open.json)", &words, &error));
  EXPECT_EQ("unterminated quote", error);
}

TEST(ScriptParserTest, AWholeScriptSkipsBlanksAndCommentsAndNamesTheBadLine) {
  std::istringstream good(std::string("# make a set\n\n   \nOnLoad\r\n  # indented comment\nCommitSnapshots ") +
                          kSet + "\n");
  std::vector<ScriptCall> calls;
  std::string error;
  ASSERT_TRUE(ParseScript(good, &calls, &error)) << error;
  ASSERT_EQ(2u, calls.size());
  EXPECT_EQ(4, calls[0].line);
  EXPECT_EQ(6, calls[1].line);

  std::istringstream bad("OnLoad\nGetProviderCapabilities\nCommitSnapshots not-a-guid\nOnLoad\n");
  calls.clear();
  EXPECT_FALSE(ParseScript(bad, &calls, &error));
  EXPECT_EQ("line 3: CommitSnapshots needs a snapshot set GUID such as {6B29FC40-CA47-1067-B31D-00DD010662DA}",
            error);
}

}  // namespace
