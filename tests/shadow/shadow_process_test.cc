// KovaVssShadow run as a user runs it: a separate process with the real
// provider, its own state folder (hive, machine key, log) configured for
// an array emulator served by this test process.
#include <gtest/gtest.h>

#include <cpprest/json.h>

#include <algorithm>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "platform/guid.h"
#include "tests/shadow/shadow_process_support.h"
#include "tests/support/program_run.h"
#include "tests/support/scoped_state_dir.h"
#include "tests/support/text_lines.h"
#include "tests/support/test_array_sim.h"
#include "tools/KovaVssShadow/lun_json.h"

namespace {

class ShadowProcessTest : public testing::Test {
 protected:
  void SetUp() override {
    sim_.Start();
    AddThisHost(sim_);
    ConfigureProviderHive(state_, sim_.Url(), Token());
  }
  void TearDown() override { RemoveProviderHive(state_); }

  std::string Token() const { return kova_sim::SimSeed::Default().users.at(0).api_token; }

  // The run, with line feeds for the console's line ends.
  ProgramRun Shadow(const std::vector<std::string>& args) {
    ProgramRun run = RunProgram(KOVA_SHADOW_PATH, args, {state_.str(), "", -1});
    run.out = WithLineFeeds(run.out);
    run.err = WithLineFeeds(run.err);
    return run;
  }

  std::string WriteFile(const std::string& name, const std::string& text) {
    return ::WriteFile(state_.File(name), text);
  }

  // "@FILE" with the LUN records of the emulator's volumes.
  std::string VolumeLuns(const std::string& vendor = "KOVA    ") {
    return "@" + WriteFile(vendor == "KOVA    " ? "luns.json" : "foreign.json", VolumeLunsJson(sim_.State(), vendor));
  }

  size_t SnapshotRequests() const {
    size_t count = 0;
    for (const auto& request : sim_.Requests()) {
      if (request.method == "POST" && request.target == "/api/1.1/volume") ++count;
    }
    return count;
  }

  ScopedStateDir state_;  // before the emulator: the token is protected with this folder's key
  TestArraySim sim_;
};

TEST_F(ShadowProcessTest, CreatesImportsAndReleasesAShadowCopySetOfThreeLuns) {
  if (!CanDriveProvider()) GTEST_SKIP() << "needs an administrator (effective user id 0)";
  const ProgramRun created = Shadow({"create", VolumeLuns()});
  ASSERT_EQ(0, created.exit_code) << created.err;
  EXPECT_EQ("", created.err);
  const web::json::value set = web::json::value::parse(utility::conversions::to_string_t(created.out));
  GUID set_id{};
  ASSERT_TRUE(platform::GuidFromString(TextAt(set, "snapshot_set_id"), &set_id));
  std::string suffix = platform::GuidToString(set_id).substr(1, 36);
  suffix.erase(std::remove(suffix.begin(), suffix.end(), '-'), suffix.end());

  // One snapshot per LUN, made with one request each, described by the targets.
  EXPECT_EQ(3u, SnapshotRequests());
  const web::json::value state = sim_.State();
  EXPECT_EQ((std::set<std::string>{"db01.VSS-" + suffix, "db02.VSS-" + suffix, "logs01.VSS-" + suffix}),
            Names(state, "snapshots"));
  LunRecordArray targets;
  std::string error;
  ASSERT_TRUE(ParseLunRecords(created.out, &targets, &error)) << error;
  ASSERT_EQ(3u, targets.size());
  for (const auto& snapshot : At(state, "snapshots").as_array()) {
    const std::string serial = TextAt(snapshot, "serial");
    const auto target = std::find_if(&targets[0], &targets[0] + 3, [&](const VDS_LUN_INFORMATION& lun) {
      return serial == lun.m_szSerialNumber;
    });
    ASSERT_NE(&targets[0] + 3, target) << serial;
    ASSERT_EQ(2u, target->m_deviceIdDescriptor.m_cIdentifiers);
    EXPECT_EQ("KOVA    Lumenstack:" + serial,
              reinterpret_cast<const char*>(target->m_deviceIdDescriptor.m_rgIdentifiers[0].m_rgbIdentifier));
    EXPECT_EQ(TextAt(snapshot, "name"),
              reinterpret_cast<const char*>(target->m_deviceIdDescriptor.m_rgIdentifiers[1].m_rgbIdentifier));
  }

  // The printed set is the input of import and delete.
  const std::string set_file = "@" + WriteFile("set.json", created.out);
  const ProgramRun imported = Shadow({"import", set_file});
  ASSERT_EQ(0, imported.exit_code) << imported.err;
  EXPECT_EQ("LocateLuns -> 0x00000000\n", imported.out);
  std::set<std::string> copies;
  const web::json::value imported_state = sim_.State();
  for (const auto& snapshot : At(imported_state, "snapshots").as_array()) {
    copies.insert("VSS-" + TextAt(snapshot, "serial"));
  }
  const std::set<std::string> volumes = Names(imported_state, "volumes");
  for (const std::string& copy : copies) EXPECT_EQ(1u, volumes.count(copy)) << copy;

  const ProgramRun deleted = Shadow({"delete", set_file});
  ASSERT_EQ(0, deleted.exit_code) << deleted.err;
  EXPECT_EQ("OnLunEmpty -> 0x00000000\nOnLunEmpty -> 0x00000000\nOnLunEmpty -> 0x00000000\n", deleted.out);
  const web::json::value after = sim_.State();
  EXPECT_TRUE(At(after, "snapshots").as_array().size() == 0) << after.serialize();
  EXPECT_EQ((std::set<std::string>{"db01", "db02", "logs01"}), Names(after, "volumes"));
  EXPECT_TRUE(At(after, "connections").as_array().size() == 0) << after.serialize();

  // The provider logged to its own file in the tool's folder, never the token.
  const std::string log = ReadFile(state_.File("KovaStorage/KovaVSSHardwareProvider.log"));
  EXPECT_NE(std::string::npos, log.find("CommitSnapshots")) << log.size();
  EXPECT_EQ(std::string::npos, log.find(Token()));
}

TEST_F(ShadowProcessTest, AFailingCreateNamesTheMethodAndLeavesNoSnapshot) {
  if (!CanDriveProvider()) GTEST_SKIP() << "needs an administrator (effective user id 0)";
  kova_sim::Fault fault;
  fault.kind = kova_sim::Fault::Kind::kStatus;
  fault.method = "POST";
  fault.path_contains = "/api/1.1/volume";
  fault.skip = 2;
  fault.times = 1;
  fault.status = 500;
  fault.body = R"({"msg": "array busy"})";
  sim_.InjectFault(fault);
  const ProgramRun created = Shadow({"create", VolumeLuns()});
  EXPECT_EQ(1, created.exit_code);
  EXPECT_EQ("", created.out);
  EXPECT_EQ("CommitSnapshots failed: 0x80042306\n", created.err);
  EXPECT_EQ(3u, SnapshotRequests());
  // The two snapshots made before the failure were deleted again.
  EXPECT_TRUE(At(sim_.State(), "snapshots").as_array().size() == 0) << sim_.State().serialize();
}

TEST_F(ShadowProcessTest, BadInputTouchesNoArray) {
  const std::string missing = state_.File("missing.json");
  const ProgramRun created = Shadow({"create", "@" + missing});
  EXPECT_EQ(2, created.exit_code);
  EXPECT_EQ("KovaVssShadow: cannot read " + missing + ": no such file\n", created.err);
  const ProgramRun bad = Shadow({"import", "@" + WriteFile("bad.json", "[{\"serial\": \"A\"},")});
  EXPECT_EQ(2, bad.exit_code);
  EXPECT_EQ(0u, bad.err.find("KovaVssShadow: " + state_.File("bad.json") + ": not JSON: ")) << bad.err;
  EXPECT_TRUE(sim_.Requests().empty());
}

TEST_F(ShadowProcessTest, ScriptModeMakesOneCallPerLineInAnyOrder) {
  if (!CanDriveProvider()) GTEST_SKIP() << "needs an administrator (effective user id 0)";
  const std::string set = "{6B29FC40-CA47-1067-B31D-00DD010662DA}";
  const std::string luns = VolumeLuns();
  const std::string targets = state_.File("targets.json");
  const std::string script = "# out of order first, then a whole set\n"
                             "OnLoad\n"
                             "GetProviderCapabilities\n"
                             "EndPrepareSnapshots " + set + "\n" +
                             "AreLunsSupported " + VolumeLuns("OTHER   ") + "\n" +
                             "AreLunsSupported " + luns + "\n" +
                             "BeginPrepareSnapshot " + set + " " + luns + "\n" +
                             "EndPrepareSnapshots " + set + "\n" +
                             "PreCommitSnapshots " + set + "\n" +
                             "CommitSnapshots " + set + "\n" +
                             "PostCommitSnapshots " + set + " count=3\n" +
                             "PreFinalCommitSnapshots " + set + "\n" +
                             "PostFinalCommitSnapshots " + set + "\n" +
                             "GetTargetLuns save=" + targets + " " + luns + "\n" +
                             "AbortSnapshots " + set + "\n" +
                             "OnUnload no\n";
  const ProgramRun run = Shadow({"script", WriteFile("set.script", script)});
  ASSERT_EQ(0, run.exit_code) << run.err;
  std::istringstream lines(run.out);
  std::vector<std::string> got;
  for (std::string line; std::getline(lines, line);) got.push_back(line.substr(0, line.find(" targets=")));
  ASSERT_EQ(15u, got.size()) << run.out;
  EXPECT_EQ("OnLoad -> 0x00000000", got[0]);
  EXPECT_EQ("GetProviderCapabilities -> 0x80004001", got[1]);
  EXPECT_EQ("EndPrepareSnapshots -> 0x80042306", got[2]);
  EXPECT_EQ("AreLunsSupported -> 0x00000000 supported=false", got[3]);
  EXPECT_EQ("AreLunsSupported -> 0x00000000 supported=true", got[4]);
  EXPECT_EQ(0u, got[5].find("BeginPrepareSnapshot -> 0x00000000 snapshot={"));
  for (size_t i = 6; i < 12; ++i) EXPECT_NE(std::string::npos, got[i].find(" -> 0x00000000")) << got[i];
  EXPECT_EQ("GetTargetLuns -> 0x00000000", got[12]);
  EXPECT_EQ("AbortSnapshots -> 0x00000000", got[13]);  // after the set was created: ignored
  EXPECT_EQ("OnUnload -> 0x00000000", got[14]);
  EXPECT_EQ(3u, At(sim_.State(), "snapshots").as_array().size());

  // The saved targets release the set in a later run.
  const ProgramRun deleted = Shadow({"delete", "@" + targets});
  EXPECT_EQ(0, deleted.exit_code) << deleted.err;
  EXPECT_TRUE(At(sim_.State(), "snapshots").as_array().size() == 0);
}

}  // namespace
