// The sub-commands in process against a provider that records its calls:
// the VSS call sequence of each, what is printed, and how failures and bad
// input end a run.
#include <gtest/gtest.h>

#include <algorithm>

#include "platform/guid.h"
#include "tests/shadow/shadow_test_fixture.h"
#include "tools/KovaVssShadow/lun_json.h"

namespace {

using Methods = std::vector<std::string>;

const Methods kCreateSequence = {"OnLoad",
                                 "AreLunsSupported",
                                 "BeginPrepareSnapshot",
                                 "BeginPrepareSnapshot",
                                 "BeginPrepareSnapshot",
                                 "EndPrepareSnapshots",
                                 "PreCommitSnapshots",
                                 "CommitSnapshots",
                                 "PostCommitSnapshots",
                                 "PreFinalCommitSnapshots",
                                 "PostFinalCommitSnapshots",
                                 "GetTargetLuns",
                                 "OnUnload"};

class ShadowCommandTest : public ShadowFakeTest {};

TEST_F(ShadowCommandTest, CreateDrivesTheVssSequenceAndPrintsTheTargets) {
  ASSERT_EQ(kExitSuccess, Run({"create", LunFile("luns.json", {"A1", "B2", "C3"})})) << Err();
  EXPECT_EQ(kCreateSequence, provider_.Methods());
  EXPECT_EQ("", Err());
  EXPECT_EQ(1, factory_calls_);

  const FakeCall* supported = provider_.Find("AreLunsSupported");
  EXPECT_EQ(3, supported->count);
  EXPECT_EQ((std::vector<std::string>{"A1", "B2", "C3"}), supported->serials);
  EXPECT_EQ((std::vector<std::string>{"", "", ""}), supported->devices);
  // One BeginPrepareSnapshot per LUN, in order, all in one set, each with its own snapshot GUID.
  const GUID set_id = provider_.calls[2].set_id;
  EXPECT_NE(GUID_NULL, set_id);
  for (int i = 0; i < 3; ++i) {
    const FakeCall& begin = provider_.calls[2 + i];
    EXPECT_EQ(1, begin.count);
    EXPECT_EQ(std::string(1, "ABC"[i]) + std::to_string(i + 1), begin.serials.at(0));
    EXPECT_TRUE(begin.set_id == set_id);
    EXPECT_NE(set_id, begin.snapshot_id);
    if (i > 0) {
      EXPECT_NE(provider_.calls[1 + i].snapshot_id, begin.snapshot_id);
    }
  }
  for (size_t i = 5; i < 11; ++i) EXPECT_TRUE(provider_.calls[i].set_id == set_id) << provider_.calls[i].method;
  EXPECT_EQ(3, provider_.Find("PostCommitSnapshots")->count);
  EXPECT_FALSE(provider_.Find("OnUnload")->force);

  // The output names the set and holds the provider's target records, readable as LUN input.
  const std::string out = Out();
  EXPECT_EQ(0u, out.find("{\n  \"snapshot_set_id\": \"" + platform::GuidToString(set_id) + "\",\n  \"targets\": [\n"))
      << out;
  LunRecordArray targets;
  std::string error;
  ASSERT_TRUE(ParseLunRecords(out, &targets, &error)) << error << "\n" << out;
  ASSERT_EQ(3u, targets.size());
  EXPECT_STREQ("SNAPB2", targets[1].m_szSerialNumber);
  EXPECT_EQ(2u, targets[1].m_deviceIdDescriptor.m_cIdentifiers);
}

TEST_F(ShadowCommandTest, CreateStopsAtAFailingStepAndAbortsTheSet) {
  for (const std::string method : {"BeginPrepareSnapshot", "EndPrepareSnapshots", "PreCommitSnapshots",
                                   "CommitSnapshots", "PostCommitSnapshots", "PreFinalCommitSnapshots",
                                   "PostFinalCommitSnapshots", "GetTargetLuns"}) {
    provider_ = FakeProvider();
    const size_t failing = static_cast<size_t>(
        std::find(kCreateSequence.begin(), kCreateSequence.end(), method) - kCreateSequence.begin());
    provider_.results[method] = VSS_E_PROVIDER_VETO;
    EXPECT_EQ(kExitProviderFailure, Run({"create", LunFile("luns.json", {"A1", "B2", "C3"})}));
    Methods expected(kCreateSequence.begin(), kCreateSequence.begin() + static_cast<long>(failing) + 1);
    expected.push_back("AbortSnapshots");
    expected.push_back("OnUnload");
    EXPECT_EQ(expected, provider_.Methods()) << method;
    EXPECT_TRUE(provider_.Find("AbortSnapshots")->set_id == provider_.calls[2].set_id);
    EXPECT_EQ(method + " failed: 0x80042306\n", Err());
    EXPECT_EQ("", Out());
  }
}

TEST_F(ShadowCommandTest, CreateOfLunsTheProviderDoesNotSupportMakesNoSet) {
  provider_.supported = FALSE;
  EXPECT_EQ(kExitProviderFailure, Run({"create", LunFile("luns.json", {"A1"})}));
  EXPECT_EQ((Methods{"OnLoad", "AreLunsSupported", "OnUnload"}), provider_.Methods());
  EXPECT_EQ("AreLunsSupported failed: 0x00000000 (the provider does not support these LUNs)\n", Err());

  provider_ = FakeProvider();
  provider_.results["AreLunsSupported"] = E_INVALIDARG;
  EXPECT_EQ(kExitProviderFailure, Run({"create", LunFile("luns.json", {"A1"})}));
  EXPECT_EQ((Methods{"OnLoad", "AreLunsSupported", "OnUnload"}), provider_.Methods());
  EXPECT_EQ("AreLunsSupported failed: 0x80070057\n", Err());
}

TEST_F(ShadowCommandTest, BlockDevicesPassTheirPathsAsDeviceNames) {
  devices_ = {{"/dev/sdx", "DEV1"}, {"/dev/sdy", "DEV2"}};
  ASSERT_EQ(kExitSuccess, Run({"create", "/dev/sdx", LunFile("luns.json", {"J1"}), "/dev/sdy"})) << Err();
  const FakeCall* supported = provider_.Find("AreLunsSupported");
  EXPECT_EQ((std::vector<std::string>{"DEV1", "J1", "DEV2"}), supported->serials);
  EXPECT_EQ((std::vector<std::string>{"/dev/sdx", "", "/dev/sdy"}), supported->devices);
  EXPECT_EQ((std::vector<std::string>{"/dev/sdy"}), provider_.calls[4].devices);
  EXPECT_EQ((std::vector<std::string>{"/dev/sdx", "", "/dev/sdy"}), provider_.Find("GetTargetLuns")->devices);
}

TEST_F(ShadowCommandTest, BadInputExitsWithTwoBeforeAnyProviderExists) {
  const std::string good = LunFile("good.json", {"A1"});
  const std::string missing = dir_.str() + "/missing.json";
  struct Case {
    std::vector<std::string> args;
    std::string error;
  };
  const std::vector<Case> cases = {
      {{"create", good, "@" + missing}, "KovaVssShadow: cannot read " + missing + ": no such file\n"},
      {{"import", "@" + WriteFile("bad.json", "[{\"serial\": 1}]")},
       "KovaVssShadow: " + dir_.str() + "/bad.json: [0].serial: not a JSON string\n"},
      {{"delete", "@" + WriteFile("hex.json", R"([{"identifiers": [{"hex": "zz"}]}])")},
       "KovaVssShadow: " + dir_.str() + "/hex.json: [0].identifiers[0].hex: not a hex digit at offset 0\n"},
      {{"mask", "@" + WriteFile("text.json", "not json")}, ""},
      {{"create", "@" + dir_.str()}, "KovaVssShadow: cannot read " + dir_.str() + ": is a directory\n"},
      {{"create", "/dev/nothing"}, "KovaVssShadow: /dev/nothing: no such device\n"},
      {{"create"}, "KovaVssShadow: create needs at least one LUN (a block device or @FILE)\n"},
      {{"import", ""}, "KovaVssShadow: an empty LUN argument\n"},
      {{"resync", good}, "KovaVssShadow: resync needs SOURCE TARGET pairs of LUNs\n"},
      {{"resync", good, LunFile("two.json", {"B1", "B2"})},
       "KovaVssShadow: @" + dir_.str() + "/two.json: holds 2 LUN records where one is needed\n"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(kExitBadInput, Run(c.args)) << c.args[0];
    if (!c.error.empty()) {
      EXPECT_EQ(c.error, Err());
    }
    EXPECT_NE(std::string::npos, Err().find("KovaVssShadow: ")) << Err();
  }
  EXPECT_EQ(0, factory_calls_);
  EXPECT_TRUE(provider_.calls.empty());
}

TEST_F(ShadowCommandTest, BadCommandLinesPrintTheUsage) {
  EXPECT_EQ(kExitBadInput, Run({}));
  EXPECT_EQ(0u, Err().find("KovaVssShadow: no command given\nUsage: KovaVssShadow COMMAND ARGUMENTS\n"));
  EXPECT_EQ(kExitBadInput, Run({"snapshot", "/dev/sdb"}));
  EXPECT_EQ(0u, Err().find("KovaVssShadow: unknown command \"snapshot\"\nUsage:"));
  EXPECT_EQ(kExitSuccess, Run({"--help"}));
  EXPECT_EQ(ShadowUsage(), Out());
  EXPECT_EQ(0, factory_calls_);
}

TEST_F(ShadowCommandTest, ImportLocatesAllLunsInOneCall) {
  ASSERT_EQ(kExitSuccess, Run({"import", LunFile("a.json", {"T1", "T2"}), LunFile("b.json", {"T3"})})) << Err();
  EXPECT_EQ((Methods{"OnLoad", "LocateLuns", "OnUnload"}), provider_.Methods());
  EXPECT_EQ((std::vector<std::string>{"T1", "T2", "T3"}), provider_.Find("LocateLuns")->serials);
  EXPECT_EQ("LocateLuns -> 0x00000000\n", Out());

  provider_ = FakeProvider();
  provider_.results["LocateLuns"] = VSS_E_PROVIDER_VETO;
  EXPECT_EQ(kExitProviderFailure, Run({"import", LunFile("a.json", {"T1"})}));
  EXPECT_EQ("LocateLuns -> 0x80042306\n", Out());
  EXPECT_EQ("LocateLuns failed: 0x80042306\n", Err());
  EXPECT_EQ("OnUnload", provider_.Methods().back());
}

TEST_F(ShadowCommandTest, DeleteEmptiesEveryLunEvenAfterOneFails) {
  provider_.results["OnLunEmpty"] = VSS_E_PROVIDER_VETO;
  EXPECT_EQ(kExitProviderFailure, Run({"delete", LunFile("t.json", {"T1", "T2", "T3"})}));
  EXPECT_EQ((Methods{"OnLoad", "OnLunEmpty", "OnLunEmpty", "OnLunEmpty", "OnUnload"}), provider_.Methods());
  EXPECT_EQ((std::vector<std::string>{"T3"}), provider_.calls[3].serials);
  EXPECT_EQ((std::vector<std::string>{""}), provider_.calls[3].devices);
  EXPECT_EQ("OnLunEmpty -> 0x80042306\nOnLunEmpty -> 0x80042306\nOnLunEmpty -> 0x80042306\n", Out());
  EXPECT_EQ("OnLunEmpty failed: 0x80042306\nOnLunEmpty failed: 0x80042306\nOnLunEmpty failed: 0x80042306\n", Err());

  provider_ = FakeProvider();
  EXPECT_EQ(kExitSuccess, Run({"delete", LunFile("t.json", {"T1", "T2"})}));
  EXPECT_EQ("OnLunEmpty -> 0x00000000\nOnLunEmpty -> 0x00000000\n", Out());
}

TEST_F(ShadowCommandTest, MaskAsksToMaskAllLuns) {
  ASSERT_EQ(kExitSuccess, Run({"mask", LunFile("t.json", {"T1", "T2"})})) << Err();
  const FakeCall* change = provider_.Find("OnLunStateChange");
  ASSERT_NE(nullptr, change);
  EXPECT_EQ(VSS_ONLUNSTATECHANGE_DO_MASK_LUNS, change->flags);
  EXPECT_EQ(2, change->count);
  EXPECT_EQ((std::vector<std::string>{"T1", "T2"}), change->serials);
  EXPECT_EQ("OnLunStateChange -> 0x00000000\n", Out());
}

TEST_F(ShadowCommandTest, ResyncPairsAlternatingArguments) {
  ASSERT_EQ(kExitSuccess, Run({"resync", LunFile("s1.json", {"S1"}), LunFile("t1.json", {"T1"}),
                               LunFile("s2.json", {"S2"}), LunFile("t2.json", {"T2"})}))
      << Err();
  const FakeCall* resync = provider_.Find("ResyncLuns");
  ASSERT_NE(nullptr, resync);
  EXPECT_EQ(2, resync->count);
  EXPECT_EQ((std::vector<std::string>{"S1", "S2"}), resync->serials);
  EXPECT_EQ((std::vector<std::string>{"T1", "T2"}), resync->targets);
  EXPECT_EQ("ResyncLuns -> 0x00000000\n", Out());
}

TEST_F(ShadowCommandTest, AProviderThatCannotBeMadeOrLoadedEndsTheRun) {
  factory_result_ = E_OUTOFMEMORY;
  EXPECT_EQ(kExitProviderFailure, Run({"import", LunFile("t.json", {"T1"})}));
  EXPECT_EQ("CreateKovaVssProviderInstance failed: 0x8007000E\n", Err());

  factory_result_ = S_OK;
  provider_.results["OnLoad"] = VSS_E_PROVIDER_VETO;
  EXPECT_EQ(kExitProviderFailure, Run({"import", LunFile("t.json", {"T1"})}));
  EXPECT_EQ((Methods{"OnLoad"}), provider_.Methods());
  EXPECT_EQ("OnLoad failed: 0x80042306\n", Err());

  provider_ = FakeProvider();
  provider_.results["OnUnload"] = E_OUTOFMEMORY;
  EXPECT_EQ(kExitProviderFailure, Run({"import", LunFile("t.json", {"T1"})}));
  EXPECT_EQ("LocateLuns -> 0x00000000\n", Out());
  EXPECT_EQ("OnUnload failed: 0x8007000E\n", Err());
}

TEST_F(ShadowCommandTest, ShowPrintsEachRecordOnItsOwnLineWithoutAProvider) {
  devices_ = {{"/dev/sdx", "DEV1"}};
  ASSERT_EQ(kExitSuccess, Run({"show", "/dev/sdx", LunFile("luns.json", {"J1", "J2"})})) << Err();
  EXPECT_EQ(0, factory_calls_);
  EXPECT_TRUE(provider_.calls.empty());
  const std::string out = Out();
  EXPECT_EQ(0u, out.find("[{\"vendor\": \"KOVA    \", \"product\": \"\", \"revision\": \"\", "
                         "\"serial\": \"DEV1\", "))
      << out;
  EXPECT_NE(std::string::npos, out.find("},\n {\"vendor\": \"KOVA    \", \"product\": \"\", \"revision\": \"\", "
                                        "\"serial\": \"J1\", "))
      << out;
  EXPECT_EQ(3, std::count(out.begin(), out.end(), '\n')) << out;
  EXPECT_EQ("}]\n", out.substr(out.size() - 3));
  LunRecordArray shown;
  std::string error;
  ASSERT_TRUE(ParseLunRecords(out, &shown, &error)) << error << "\n" << out;
  ASSERT_EQ(3u, shown.size());
  EXPECT_STREQ("J2", shown[2].m_szSerialNumber);
  EXPECT_EQ(1u, shown[2].m_deviceIdDescriptor.m_cIdentifiers);

  EXPECT_EQ(kExitBadInput, Run({"show", "/dev/sdz"}));
  EXPECT_EQ("KovaVssShadow: /dev/sdz: no such device\n", Err());
  EXPECT_EQ(kExitBadInput, Run({"show"}));
  EXPECT_EQ("", Out());
}

}  // namespace
