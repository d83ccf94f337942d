// Makes a shadow copy set of 64 LUNs (AreLunsSupported through
// GetTargetLuns) with the provider against an in-process array emulator
// with 64 volumes, as KovaVssShadow create does. Prints the time and the
// array requests per LUN, the time of each provider call, and how
// CommitSnapshots compares with a bare HTTPS client (Beast over OpenSSL)
// sending the same 64 snapshot requests, each on a new connection, in the
// same run. VSS holds the volumes' writes for at most ten seconds and
// advises committing in under one second: the last line says whether
// CommitSnapshots of 64 LUNs stays under a second with exactly one
// snapshot request per LUN.
//
// Usage: shadow_create_bench [ROUNDS]   (default 5; one new set per round)
#include <boost/asio/connect.hpp>
#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/ssl.hpp>
#include <boost/beast/core.hpp>
#include <boost/beast/http.hpp>
#include <boost/beast/ssl.hpp>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "bench/bench_setup.h"
#include "library/log/logger.h"
#include "library/rest/kova_rest.h"
#include "platform/memory_registry.h"
#include "platform/tls_process.h"
#include "provider/vss/kova_vss_provider_factory.h"
#include "tools/KovaArraySim/array_sim.h"
#include "tools/KovaVssShadow/provider_session.h"
#include "tools/KovaVssShadow/random_guid.h"
#include "tools/KovaVssShadow/shadow_copy_set.h"

namespace beast = boost::beast;
namespace http = beast::http;
namespace ssl = boost::asio::ssl;
using tcp = boost::asio::ip::tcp;

namespace {

constexpr int kLuns = 64;
constexpr char kVersion[] = "1.1";
constexpr char kSnapshotPath[] = "/api/1.1/volume";

double Seconds(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// The snapshot request a provider makes, sent by a bare client on a new
// connection each time.
class BareSnapshotClient {
 public:
  BareSnapshotClient(uint16_t port, std::string cookie) : port_(port), cookie_(std::move(cookie)) {
    context_.set_verify_mode(ssl::verify_none);
  }

  void Post(const std::string& volume, const std::string& suffix) {
    beast::ssl_stream<beast::tcp_stream> stream(io_, context_);
    beast::get_lowest_layer(stream).connect(tcp::endpoint(boost::asio::ip::make_address("127.0.0.1"), port_));
    beast::get_lowest_layer(stream).socket().set_option(tcp::no_delay(true));
    stream.handshake(ssl::stream_base::client);
    http::request<http::string_body> request{http::verb::post, kSnapshotPath, 11};
    request.set(http::field::host, "127.0.0.1");
    request.set(http::field::cookie, cookie_);
    request.set(http::field::content_type, "application/json");
    request.body() = "{\"snap\":true,\"source\":[\"" + volume + "\"],\"suffix\":\"" + suffix + "\"}";
    request.prepare_payload();
    request.keep_alive(false);
    http::write(stream, request);
    beast::flat_buffer buffer;
    http::response<http::string_body> response;
    http::read(stream, buffer, response);
    if (response.result_int() != 200) throw std::runtime_error("bare snapshot request failed: " + response.body());
    beast::error_code ignored;
    stream.shutdown(ignored);
  }

 private:
  boost::asio::io_context io_;
  ssl::context context_{ssl::context::tls_client};
  uint16_t port_;
  std::string cookie_;
};

struct CallFigures {
  double seconds = 0;
  size_t requests = 0;
};

struct Round {
  double create_seconds = 0;
  size_t create_requests = 0;
  std::vector<std::pair<std::string, CallFigures>> calls;  // in the order of the first call of each
  CallFigures& Call(const std::string& method) {
    for (auto& call : calls) {
      if (call.first == method) return call.second;
    }
    calls.emplace_back(method, CallFigures());
    return calls.back().second;
  }
  bool one_snapshot_request_per_lun = false;
  double bare_seconds = 0;
};

// Exactly one snapshot request per volume, each for that volume alone.
bool OneSnapshotRequestPerLun(const std::vector<kova_sim::RecordedRequest>& requests, size_t first,
                              size_t last) {
  std::multiset<std::string> bodies;
  for (size_t i = first; i < last; ++i) {
    if (requests[i].method != "POST" || requests[i].target != kSnapshotPath) return false;
    bodies.insert(requests[i].body.substr(0, requests[i].body.find("\"suffix\"")));
  }
  return last - first == kLuns && std::set<std::string>(bodies.begin(), bodies.end()).size() == kLuns;
}

Round CreateSet(ProviderSession& provider, LunRecordArray& luns, kova_sim::ArraySim& sim) {
  Round round;
  const std::vector<kova_sim::RecordedRequest> before = sim.Requests();
  size_t seen = before.size();
  size_t commit_first = 0;
  const CallObserver observe = [&](const std::string& method, HRESULT, double seconds) {
    const size_t now = sim.Requests().size();
    if (method == "CommitSnapshots") commit_first = seen;
    round.Call(method).seconds += seconds;
    round.Call(method).requests += now - seen;
    seen = now;
  };
  LunRecordArray targets;
  ProviderFailure failure;
  if (!CreateShadowCopySet(provider, luns, NewRandomGuid(), &targets, &failure, observe)) {
    throw std::runtime_error(DescribeFailure(failure));
  }
  // The time spent in provider calls; counting requests between calls is left out.
  for (const auto& call : round.calls) round.create_seconds += call.second.seconds;
  const std::vector<kova_sim::RecordedRequest> after = sim.Requests();
  round.create_requests = after.size() - before.size();
  round.one_snapshot_request_per_lun =
      OneSnapshotRequestPerLun(after, commit_first, commit_first + round.Call("CommitSnapshots").requests);
  return round;
}

double BarePosts(BareSnapshotClient& bare, const std::vector<std::pair<std::string, std::string>>& volumes,
                 int round) {
  const auto start = std::chrono::steady_clock::now();
  for (const auto& volume : volumes) bare.Post(volume.first, "BARE-" + std::to_string(round));
  return Seconds(start);
}

void PrintRound(int number, Round& round) {
  const CallFigures commit = round.Call("CommitSnapshots");
  std::printf("round %d: create %.3f s = %.2f ms/LUN, %.2f requests/LUN; CommitSnapshots %.3f s (%zu requests), "
              "bare %.3f s, ratio %.2f\n",
              number, round.create_seconds, 1000.0 * round.create_seconds / kLuns,
              static_cast<double>(round.create_requests) / kLuns, commit.seconds, commit.requests, round.bare_seconds,
              commit.seconds / round.bare_seconds);
  for (const auto& call : round.calls) {
    std::printf("    %-26s %8.3f s  %4zu requests\n", call.first.c_str(), call.second.seconds, call.second.requests);
  }
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

void PrintSummary(std::vector<Round>& rounds) {
  std::vector<double> per_lun, requests, commit, bare, ratio;
  bool all_one_request = true;
  double worst_commit = 0;
  for (Round& round : rounds) {
    const double commit_seconds = round.Call("CommitSnapshots").seconds;
    per_lun.push_back(1000.0 * round.create_seconds / kLuns);
    requests.push_back(static_cast<double>(round.create_requests) / kLuns);
    commit.push_back(commit_seconds);
    bare.push_back(round.bare_seconds);
    ratio.push_back(commit_seconds / round.bare_seconds);
    worst_commit = std::max(worst_commit, commit_seconds);
    all_one_request = all_one_request && round.one_snapshot_request_per_lun;
  }
  std::printf("median of %zu rounds, %d LUNs:\n", rounds.size(), kLuns);
  std::printf("  create (AreLunsSupported..GetTargetLuns)  %7.2f ms/LUN, %.2f requests/LUN\n", Median(per_lun),
              Median(requests));
  std::printf("  CommitSnapshots                           %7.3f s (%.2f ms/LUN)\n", Median(commit),
              1000.0 * Median(commit) / kLuns);
  std::printf("  bare client, 64 snapshot POSTs, new connection each  %7.3f s\n", Median(bare));
  std::printf("  CommitSnapshots / bare client (median of the rounds' ratios)  %5.2f\n", Median(ratio));
  std::printf("CommitSnapshots of %d LUNs under one second with one snapshot request per LUN: %s "
              "(slowest %.3f s)\n",
              kLuns, worst_commit < 1.0 && all_one_request ? "yes" : "NO", worst_commit);
}

}  // namespace

int main(int argc, char** argv) {
  platform::PrepareProcessForTls();
  const int round_count = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
  const std::filesystem::path state = MakeBenchStateFolder("kova-shadow-bench-");
  platform::SetMachineRegistry(platform::CreateMemoryRegistry());
  Logger::Open(true, LOG_INFO);  // the level the configuration tool sets by default

  kova_sim::SimSeed seed = kova_sim::SimSeed::Default();
  kova_sim::ArraySim sim(seed);
  sim.Start();
  std::vector<std::pair<std::string, std::string>> volumes;  // name, serial
  for (int i = 0; i < kLuns; ++i) {
    const std::string name = "bench" + std::to_string(i);
    volumes.emplace_back(name, sim.AddVolume(name, int64_t{1} << 30));
  }
  ConfigureBenchArray("bench", sim.Url(), seed.users.at(0).api_token);
  LunRecordArray luns = BenchVolumeLuns(volumes);

  KovaREST rest(10);
  rest.Configure(sim.Url(), seed.users.at(0).api_token, kVersion);
  uint16_t status = 0;
  web::json::value answer;
  rest.RequestSync(U("/api/1.1/array"), KovaREST::kGet, nullptr, status, answer);  // opens a session
  BareSnapshotClient bare(sim.Port(), rest.SessionCookie());

  ProviderSession provider;
  std::string step;
  if (FAILED(provider.Open(CreateKovaVssProviderInstance, &step))) {
    std::fprintf(stderr, "%s failed\n", step.c_str());
    return 1;
  }
  std::printf("%d-LUN shadow copy sets against KovaArraySim on 127.0.0.1 (provider log level %d)\n", kLuns, LOG_INFO);
  std::vector<Round> rounds;
  for (int i = 1; i <= round_count; ++i) {
    Round round = CreateSet(provider, luns, sim);
    round.bare_seconds = BarePosts(bare, volumes, i);
    PrintRound(i, round);
    rounds.push_back(round);
  }
  PrintSummary(rounds);
  provider.Close();
  sim.Stop();
  Logger::Close();
  std::filesystem::remove_all(state);
  return 0;
}
