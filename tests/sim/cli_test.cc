// The KovaArraySim program: its announcement line, port file, request log,
// signals and exit codes.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>
#include <algorithm>
#include <cctype>
#include <sstream>

#include "tests/sim/child_process.h"
#include "tests/sim/sim_https_client.h"
#include "tests/support/temp_dir.h"
#include "tools/KovaArraySim/array_sim.h"

namespace {

using std::chrono::seconds;
using testing::HasSubstr;
using testing::Not;

std::string ReadFile(const std::string& path) {
  std::ifstream in(path);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// Reads the announcement line and returns the URL in it, or "".
std::string AwaitUrl(ChildProcess& program) {
  const std::string prefix = "KovaArraySim listening on ";
  const std::optional<std::string> line = program.ReadLine(seconds(20));
  const std::string url = line && line->compare(0, prefix.size(), prefix) == 0 ? line->substr(prefix.size()) : "";
  const std::string origin = "https://127.0.0.1:";
  const std::string port = url.compare(0, origin.size(), origin) == 0 ? url.substr(origin.size()) : "";
  if (port.empty() || port.size() > 5 || !std::all_of(port.begin(), port.end(), ::isdigit)) {
    ADD_FAILURE() << "no announcement line, got: " << line.value_or("<nothing>");
    return "";
  }
  return url;
}

TEST(CliTest, ServesUntilSigtermThenWritesTheMaskedRequestLog) {
  TempDir dir;
  const std::string port_file = dir.str() + "/port";
  const std::string log_file = dir.str() + "/requests";
  ChildProcess program(KOVA_SIM_BINARY, {"--port-file", port_file, "--request-log", log_file});
  const std::string url = AwaitUrl(program);
  ASSERT_FALSE(url.empty());
  EXPECT_EQ(url.substr(url.rfind(':') + 1) + "\n", ReadFile(port_file));

  SimHttpsClient client(url);
  EXPECT_EQ(200, client.Send("GET", "/api/api_version").status);
  EXPECT_EQ(200, client.Send("POST", "/api/1.1/auth/apitoken", R"({"username": "admin", "password": "admin-password"})")
                     .status);
  EXPECT_EQ(200, client.Login(DefaultToken()).status);

  program.Terminate();
  EXPECT_EQ(0, program.WaitForExit(seconds(20)));
  const std::string log = ReadFile(log_file);
  EXPECT_THAT(log, HasSubstr("GET /api/api_version\n"));
  EXPECT_THAT(log, HasSubstr("POST /api/1.1/auth/apitoken {\"password\":\"**************\",\"username\":\"admin\"}\n"));
  EXPECT_THAT(log, HasSubstr("POST /api/1.1/auth/session {\"api_token\":\"" + std::string(DefaultToken().size(), '*')));
  EXPECT_THAT(log, Not(HasSubstr("admin-password")));
  EXPECT_THAT(log, Not(HasSubstr(DefaultToken())));
}

TEST(CliTest, SigintEndsTheProgramToo) {
  ChildProcess program(KOVA_SIM_BINARY, {});
  ASSERT_FALSE(AwaitUrl(program).empty());
  program.Interrupt();
  EXPECT_EQ(0, program.WaitForExit(seconds(20)));
}

TEST(CliTest, SeedFileDecidesWhatTheArrayHolds) {
  ChildProcess program(KOVA_SIM_BINARY, {"--seed", KOVA_SIM_EXAMPLE_SEED, "--address", "127.0.0.1"});
  const std::string url = AwaitUrl(program);
  ASSERT_FALSE(url.empty());
  const kova_sim::SimSeed seed = kova_sim::ArraySim::LoadSeedFile(KOVA_SIM_EXAMPLE_SEED);
  SimHttpsClient client(url);
  ASSERT_EQ(200, client.Login(seed.users.at(0).api_token, seed.versions.back()).status);
  SimResponse array = client.Send("GET", "/api/" + seed.versions.back() + "/array");
  EXPECT_EQ(seed.array_id, array.Json().at("id").as_string());
  EXPECT_EQ(seed.array_name, array.Json().at("array_name").as_string());
  program.Terminate();
  EXPECT_EQ(0, program.WaitForExit(seconds(20)));
}

TEST(CliTest, LatencyOptionsOverrideTheSeedsOwn) {
  ChildProcess program(KOVA_SIM_BINARY, {"--seed", KOVA_SIM_EXAMPLE_SEED, "--snapshot-latency", "150"});
  const std::string url = AwaitUrl(program);
  ASSERT_FALSE(url.empty());
  SimHttpsClient client(url);
  SimResponse latency = client.Send("GET", "/_sim/latency");
  ASSERT_EQ(200, latency.status);
  EXPECT_EQ(kova_sim::ArraySim::LoadSeedFile(KOVA_SIM_EXAMPLE_SEED).latency.request_ms,
            latency.Json().at("request_ms").as_integer());
  EXPECT_EQ(150, latency.Json().at("snapshot_ms").as_integer());
  program.Terminate();
  EXPECT_EQ(0, program.WaitForExit(seconds(20)));
}

TEST(CliTest, BadArgumentsExitTwoWithUsage) {
  const std::vector<std::vector<std::string>> cases = {
      {"--port", "http"}, {"--port", "65536"}, {"--port"}, {"--seed"}, {"--verbose"}, {"extra"},
      {"--snapshot-latency", "-1"}};
  for (const auto& args : cases) {
    ChildProcess program(KOVA_SIM_BINARY, args);
    EXPECT_THAT(program.ReadErrors(seconds(20)), HasSubstr("usage: KovaArraySim")) << args[0];
    EXPECT_EQ(2, program.WaitForExit(seconds(20))) << args[0];
  }
}

TEST(CliTest, UnusableSeedOrAddressExitsOneWithTheReason) {
  TempDir dir;
  const std::string seed = dir.str() + "/seed.json";
  std::ofstream(seed) << R"({"array": {"id": "not-a-uuid", "name": "a"}, "versions": ["1.1"]})";
  ChildProcess bad_seed(KOVA_SIM_BINARY, {"--seed", seed});
  EXPECT_THAT(bad_seed.ReadErrors(seconds(20)), HasSubstr("array.id"));
  EXPECT_EQ(1, bad_seed.WaitForExit(seconds(20)));

  ChildProcess bad_address(KOVA_SIM_BINARY, {"--address", "no.such.address"});
  EXPECT_THAT(bad_address.ReadErrors(seconds(20)), HasSubstr("not an IP address"));
  EXPECT_EQ(1, bad_address.WaitForExit(seconds(20)));
}

TEST(CliTest, HelpPrintsUsageAndExitsZero) {
  ChildProcess program(KOVA_SIM_BINARY, {"--help"});
  EXPECT_THAT(program.ReadLine(seconds(20)).value_or(""), HasSubstr("usage: KovaArraySim"));
  EXPECT_EQ(0, program.WaitForExit(seconds(20)));
}

}  // namespace
