// Script mode in process: one provider call per line with its arguments,
// the printed results and out values, and where a bad line stops a run.
#include <gtest/gtest.h>

#include <fstream>

#include "platform/guid.h"
#include "tests/shadow/shadow_test_fixture.h"
#include "tools/KovaVssShadow/lun_json.h"

namespace {

constexpr char kSet[] = "{6B29FC40-CA47-1067-B31D-00DD010662DA}";
constexpr char kSnapshot[] = "{11111111-2222-3333-4444-555555555555}";

class ScriptRunTest : public ShadowFakeTest {};

TEST_F(ScriptRunTest, EachLineMakesOneCallAndPrintsItsResult) {
  const std::string luns = LunFile("luns.json", {"A1", "B2"});
  provider_.results["CommitSnapshots"] = VSS_E_PROVIDER_VETO;
  provider_.results["GetProviderCapabilities"] = E_NOTIMPL;
  const std::string script = std::string("# a set out of order\n") +
                             "OnLoad\n"
                             "AreLunsSupported context=0x40000 " + luns + "\n" +
                             "BeginPrepareSnapshot " + kSet + " snapshot=" + kSnapshot + " " + luns + "\n" +
                             "\n"
                             "CommitSnapshots " + kSet + "\n" +
                             "PostCommitSnapshots " + kSet + " count=2\n" +
                             "AbortSnapshots " + kSet + "\n" +
                             "GetProviderCapabilities\n"
                             "OnUnload yes\n";
  ASSERT_EQ(kExitSuccess, Run({"script", WriteFile("set.script", script)})) << Err();
  EXPECT_EQ("OnLoad -> 0x00000000\n"
            "AreLunsSupported -> 0x00000000 supported=true\n"
            "BeginPrepareSnapshot -> 0x00000000 snapshot=" + std::string(kSnapshot) + "\n" +
            "CommitSnapshots -> 0x80042306\n"
            "PostCommitSnapshots -> 0x00000000\n"
            "AbortSnapshots -> 0x00000000\n"
            "GetProviderCapabilities -> 0x80004001\n"
            "OnUnload -> 0x00000000\n",
            Out());
  EXPECT_EQ("", Err());
  EXPECT_EQ(0x40000, provider_.Find("AreLunsSupported")->context);
  const FakeCall* begin = provider_.Find("BeginPrepareSnapshot");
  EXPECT_EQ(2, begin->count);  // one call with all of the line's LUNs
  EXPECT_EQ(kSet, platform::GuidToString(begin->set_id));
  EXPECT_EQ(kSnapshot, platform::GuidToString(begin->snapshot_id));
  EXPECT_EQ(2, provider_.Find("PostCommitSnapshots")->count);
  EXPECT_TRUE(provider_.Find("OnUnload")->force);
}

TEST_F(ScriptRunTest, OutValuesOfLunCalls) {
  provider_.supported = FALSE;
  const std::string one = LunFile("one.json", {"A1"});
  const std::string script = "FillInLunInfo " + one + "\n" +
                             "GetProviderCapabilities\n"
                             "BeginPrepareSnapshot " + kSet + " " + one + "\n" +
                             "OnLunStateChange flags=0x100 " + one + "\n" +
                             "OnReuseLuns " + one + "\n" +
                             "ResyncLuns " + one + " " + LunFile("t.json", {"T1"}) + "\n";
  ASSERT_EQ(kExitSuccess, Run({"script", "-"}, script)) << Err();
  const std::string out = Out();
  EXPECT_EQ(0u, out.find("FillInLunInfo -> 0x00000000 supported=false\n"
                         "GetProviderCapabilities -> 0x00000000 mask=0x0000000000000123\n"
                         "BeginPrepareSnapshot -> 0x00000000 snapshot={"))
      << out;
  // Without snapshot= a new GUID is made and shown.
  EXPECT_NE(std::string::npos, out.find("OnLunStateChange -> 0x00000000\nOnReuseLuns -> 0x00000000\nResyncLuns -> 0x00000000\n"));
  GUID shown{};
  EXPECT_TRUE(platform::GuidFromString(out.substr(out.find("snapshot=") + 9, 38), &shown));
  EXPECT_TRUE(shown == provider_.Find("BeginPrepareSnapshot")->snapshot_id);
  EXPECT_EQ(0x100u, provider_.Find("OnLunStateChange")->flags);
  EXPECT_EQ((std::vector<std::string>{"T1"}), provider_.Find("ResyncLuns")->targets);
}

TEST_F(ScriptRunTest, GetTargetLunsPrintsAndSavesTheTargetsForLaterLines) {
  const std::string saved = dir_.str() + "/targets.json";
  const std::string script = "GetTargetLuns save=" + saved + " " + LunFile("luns.json", {"A1", "B2"}) + "\n" +
                             "LocateLuns @" + saved + "\n" +
                             "OnLunEmpty @" + saved + "\n";
  EXPECT_EQ(kExitBadInput, Run({"script", "-"}, script));
  const std::string out = Out();
  EXPECT_EQ(0u, out.find("GetTargetLuns -> 0x00000000 targets=[{\"vendor\": \"KOVA    \"")) << out;
  EXPECT_NE(std::string::npos, out.find("\"serial\": \"SNAPB2\"")) << out;
  EXPECT_NE(std::string::npos, out.find("\nLocateLuns -> 0x00000000\n")) << out;
  EXPECT_EQ((std::vector<std::string>{"SNAPA1", "SNAPB2"}), provider_.Find("LocateLuns")->serials);
  // OnLunEmpty takes one record; the saved file holds two.
  EXPECT_EQ("line 3: OnLunEmpty needs exactly one LUN record, @" + saved + " holds 2\n", Err());
  EXPECT_EQ(nullptr, provider_.Find("OnLunEmpty"));
}

TEST_F(ScriptRunTest, AnUnreadableLunStopsTheScriptAtItsLine) {
  const std::string missing = dir_.str() + "/gone.json";
  const std::string script = std::string("OnLoad\nLocateLuns ") + LunFile("t.json", {"T1"}) + "\nLocateLuns @" +
                             missing + "\nOnUnload no\n";
  EXPECT_EQ(kExitBadInput, Run({"script", "-"}, script));
  EXPECT_EQ("OnLoad -> 0x00000000\nLocateLuns -> 0x00000000\n", Out());
  EXPECT_EQ("line 3: cannot read " + missing + ": no such file\n", Err());
  EXPECT_EQ((std::vector<std::string>{"OnLoad", "LocateLuns"}), provider_.Methods());
}

TEST_F(ScriptRunTest, AnUnwritableSaveFileIsReportedAfterTheCall) {
  const std::string script = "GetTargetLuns save=" + dir_.str() + "/no/such/dir/t.json " +
                             LunFile("luns.json", {"A1"}) + "\nOnLoad\n";
  EXPECT_EQ(kExitBadInput, Run({"script", "-"}, script));
  EXPECT_EQ(0u, Out().find("GetTargetLuns -> 0x00000000 targets=["));
  EXPECT_EQ("line 1: cannot write " + dir_.str() + "/no/such/dir/t.json\n", Err());
  EXPECT_EQ((std::vector<std::string>{"GetTargetLuns"}), provider_.Methods());
}

TEST_F(ScriptRunTest, AScriptWithABadLineRunsNothing) {
  EXPECT_EQ(kExitBadInput, Run({"script", "-"}, "OnLoad\nOnLoad now\n"));
  EXPECT_EQ("KovaVssShadow: -: line 2: OnLoad takes no LUN\n", Err());
  const std::string missing = dir_.str() + "/none.script";
  EXPECT_EQ(kExitBadInput, Run({"script", missing}));
  EXPECT_EQ("KovaVssShadow: cannot read " + missing + "\n", Err());
  EXPECT_EQ(kExitBadInput, Run({"script"}));
  EXPECT_EQ(0u, Err().find("KovaVssShadow: script needs one FILE, or - for standard input\nUsage:"));
  EXPECT_EQ(0, factory_calls_);
}

TEST_F(ScriptRunTest, ScriptModeMakesNoImplicitCalls) {
  ASSERT_EQ(kExitSuccess, Run({"script", "-"}, "# nothing but a comment\n"));
  EXPECT_EQ(1, factory_calls_);
  EXPECT_TRUE(provider_.calls.empty());
  EXPECT_EQ("", Out());
}

}  // namespace
