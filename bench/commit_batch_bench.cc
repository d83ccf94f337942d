// CommitSnapshots side by side: 1, 8, 32 and 64 LUNs on one array and 64
// LUNs over two arrays, with the arrays answering each snapshot request at
// once or after 150 ms, and "BatchSnapshots" 0 (one request per LUN) and 1
// (one request per array). The provider runs in this process against two
// in-process emulators; only CommitSnapshots is timed, and the latency is
// switched on for it alone. Each round's set is aborted afterwards, which
// deletes its snapshots. The last lines say whether the goals hold:
// batched, 64 LUNs at 150 ms commit in under 0.5 s and within 1.5 times one
// LUN's time; two arrays take no longer than one array with half the LUNs;
// with the option off every LUN has its own request, in the set's order.
//
// Usage: commit_batch_bench [ROUNDS]   (default 3; the median is printed)
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <vector>

#include <cpprest/json.h>

#include "bench/bench_setup.h"
#include "library/config/registry_readers.h"
#include "library/log/logger.h"
#include "library/registry_layout.h"
#include "platform/memory_registry.h"
#include "platform/registry.h"
#include "platform/tls_process.h"
#include "provider/vss/kova_vss_provider_factory.h"
#include "tools/KovaArraySim/array_sim.h"
#include "tools/KovaVssShadow/provider_session.h"
#include "tools/KovaVssShadow/random_guid.h"

namespace {

constexpr char kSnapshotPath[] = "/api/1.1/volume";
constexpr int kLatencies[] = {0, 150};

struct Layout {
  int first;   // LUNs on the first array
  int second;  // LUNs on the second array
};
const Layout kLayouts[] = {{1, 0}, {8, 0}, {32, 0}, {64, 0}, {32, 32}};

struct Figures {
  double seconds = 0;   // median CommitSnapshots time
  size_t requests = 0;  // snapshot requests of one commit
  bool as_expected = true;  // requests and their sources as the option says
};

// One emulated array with its volumes (name, serial) and their records.
struct BenchArray {
  kova_sim::ArraySim sim;
  std::vector<std::pair<std::string, std::string>> volumes;

  BenchArray(const std::string& id, const std::string& prefix, int count) : sim(Seed(id)) {
    sim.Start();
    for (int i = 0; i < count; ++i) {
      const std::string name = prefix + std::to_string(i);
      volumes.emplace_back(name, sim.AddVolume(name, int64_t{1} << 30));
    }
  }
  static kova_sim::SimSeed Seed(const std::string& id) {
    kova_sim::SimSeed seed = kova_sim::SimSeed::Default();
    seed.array_id = id;
    seed.volumes.clear();
    return seed;
  }
};

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

void SetBatchSnapshots(uint32_t value) {
  std::unique_ptr<platform::RegistryKey> root;
  platform::MachineRegistry().CreateKey(platform::RegistryRoot::kLocalMachine, kova::kProviderRootKey,
                                        platform::KeyProtection::kDefault, &root);
  root->SetValue(kova::kValueBatchSnapshots, platform::kRegDword, reinterpret_cast<const uint8_t*>(&value),
                 sizeof value);
  Utilities::ResetRegistryDWORDCache();  // read anew, as by a new provider process
}

// The set's volumes, alternating between the arrays while both have LUNs.
std::vector<std::pair<std::string, std::string>> SetVolumes(const Layout& layout, BenchArray& a, BenchArray& b) {
  std::vector<std::pair<std::string, std::string>> volumes;
  for (int i = 0; i < std::max(layout.first, layout.second); ++i) {
    if (i < layout.first) volumes.push_back(a.volumes[i]);
    if (i < layout.second) volumes.push_back(b.volumes[i]);
  }
  return volumes;
}

// The "source" lists of the snapshot requests an array received.
std::vector<std::vector<std::string>> SnapshotSources(const kova_sim::ArraySim& sim) {
  std::vector<std::vector<std::string>> requests;
  for (const auto& request : sim.Requests()) {
    if (request.method != "POST" || request.target != kSnapshotPath) continue;
    std::vector<std::string> sources;
    const web::json::value body = web::json::value::parse(request.body);
    for (const auto& source : body.at("source").as_array()) {
      sources.push_back(source.as_string());
    }
    requests.push_back(sources);
  }
  return requests;
}

// Whether an array got what the option asks for its |count| first volumes:
// one request with all of them, or one request each, in order.
bool ExpectedRequests(const BenchArray& array, int count, bool batched) {
  const auto requests = SnapshotSources(array.sim);
  std::vector<std::vector<std::string>> wanted;
  for (int i = 0; i < count; ++i) {
    if (!batched || wanted.empty()) wanted.emplace_back();
    wanted.back().push_back(array.volumes[i].first);
  }
  return requests == wanted;
}

void Check(HRESULT result, const char* call) {
  if (result != S_OK) throw std::runtime_error(std::string(call) + " failed");
}

// One set prepared, committed (timed, at |latency_ms| per request) and aborted.
double CommitOnce(ProviderSession& provider, LunRecordArray& luns, BenchArray& a, BenchArray& b, int latency_ms) {
  const GUID set_id = NewRandomGuid();
  IVssProviderCreateSnapshotSet& set = provider.SnapshotSet();
  Check(provider.Hardware().BeginPrepareSnapshot(set_id, NewRandomGuid(), 0, luns.count(), luns.devices(),
                                                 luns.data()),
        "BeginPrepareSnapshot");
  Check(set.EndPrepareSnapshots(set_id), "EndPrepareSnapshots");
  Check(set.PreCommitSnapshots(set_id), "PreCommitSnapshots");
  a.sim.ClearRequests();
  b.sim.ClearRequests();
  a.sim.SetLatency({latency_ms, 0});
  b.sim.SetLatency({latency_ms, 0});
  const auto start = std::chrono::steady_clock::now();
  const HRESULT committed = set.CommitSnapshots(set_id);
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  a.sim.SetLatency({0, 0});
  b.sim.SetLatency({0, 0});
  Check(committed, "CommitSnapshots");
  Check(set.AbortSnapshots(set_id), "AbortSnapshots");
  return seconds;
}

Figures Measure(ProviderSession& provider, const Layout& layout, int latency_ms, bool batched, BenchArray& a,
                BenchArray& b, int rounds) {
  SetBatchSnapshots(batched ? 1 : 0);
  LunRecordArray luns = BenchVolumeLuns(SetVolumes(layout, a, b));
  Figures figures;
  std::vector<double> seconds;
  for (int round = 0; round < rounds; ++round) {
    seconds.push_back(CommitOnce(provider, luns, a, b, latency_ms));
    figures.requests = SnapshotSources(a.sim).size() + SnapshotSources(b.sim).size();
    figures.as_expected = figures.as_expected && ExpectedRequests(a, layout.first, batched) &&
                          ExpectedRequests(b, layout.second, batched);
  }
  figures.seconds = Median(seconds);
  return figures;
}

std::string LayoutText(const Layout& layout) {
  if (layout.second == 0) return std::to_string(layout.first) + (layout.first == 1 ? " LUN" : " LUNs") + ", one array";
  return std::to_string(layout.first + layout.second) + " LUNs, two arrays";
}

// The table's rows and the goals, from figures[latency][layout][batched].
void Print(const std::vector<std::vector<std::vector<Figures>>>& figures, int rounds) {
  std::printf("CommitSnapshots against two in-process KovaArraySim arrays, median of %d rounds\n\n", rounds);
  std::printf("| set | per request | BatchSnapshots 0 | requests | BatchSnapshots 1 | requests |\n");
  std::printf("|---|---|---|---|---|---|\n");
  bool order_kept = true;
  for (size_t l = 0; l < figures.size(); ++l) {
    for (size_t s = 0; s < figures[l].size(); ++s) {
      const Figures& off = figures[l][s][0];
      const Figures& on = figures[l][s][1];
      std::printf("| %s | %d ms | %.3f s | %zu | %.3f s | %zu |\n", LayoutText(kLayouts[s]).c_str(),
                  kLatencies[l], off.seconds, off.requests, on.seconds, on.requests);
      order_kept = order_kept && off.as_expected && on.as_expected;
    }
  }
  const std::vector<std::vector<Figures>>& slow = figures.back();
  const double one = slow[0][1].seconds, half = slow[2][1].seconds, all = slow[3][1].seconds,
               two = slow[4][1].seconds;
  std::printf("\nbatched, 64 LUNs at %d ms under 0.5 s: %s (%.3f s)\n", kLatencies[1], all < 0.5 ? "yes" : "NO", all);
  std::printf("batched, 64 LUNs within 1.5 times 1 LUN: %s (%.2f times)\n", all <= 1.5 * one ? "yes" : "NO",
              all / one);
  std::printf("batched, two arrays no longer than one array with half the LUNs: %s (%.3f s against %.3f s)\n",
              two <= half * 1.1 ? "yes" : "NO", two, half);
  std::printf("requests as the option says (off: one per LUN in the set's order; on: one per array): %s\n",
              order_kept ? "yes" : "NO");
}

}  // namespace

int main(int argc, char** argv) {
  platform::PrepareProcessForTls();
  const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
  const std::filesystem::path state = MakeBenchStateFolder("kova-commit-bench-");
  platform::SetMachineRegistry(platform::CreateMemoryRegistry());
  Logger::Open(true, LOG_INFO);  // the level the configuration tool sets by default
  BenchArray a("6f1c2a9e-4b7d-4c3a-9e25-8d0b7a4f1e63", "a", 64);
  BenchArray b("0c2d4e6f-8a1b-4c3d-9e5f-a1b2c3d4e5f6", "b", 32);
  const std::string token = kova_sim::SimSeed::Default().users.at(0).api_token;
  ConfigureBenchArray("arrayA", a.sim.Url(), token);
  ConfigureBenchArray("arrayB", b.sim.Url(), token);
  ProviderSession provider;
  std::string step;
  if (FAILED(provider.Open(CreateKovaVssProviderInstance, &step))) {
    std::fprintf(stderr, "%s failed\n", step.c_str());
    return 1;
  }
  std::vector<std::vector<std::vector<Figures>>> figures;
  try {
    for (int latency : kLatencies) {
      figures.emplace_back();
      for (const Layout& layout : kLayouts) {
        figures.back().push_back({Measure(provider, layout, latency, false, a, b, rounds),
                                  Measure(provider, layout, latency, true, a, b, rounds)});
      }
    }
  } catch (const std::exception& e) {
    std::fprintf(stderr, "%s\n", e.what());
    return 1;
  }
  Print(figures, rounds);
  provider.Close();
  Logger::Close();
  std::filesystem::remove_all(state);
  return 0;
}
