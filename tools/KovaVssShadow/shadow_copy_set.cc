#include "tools/KovaVssShadow/shadow_copy_set.h"

#include <chrono>
#include <utility>
#include <vector>

#include "tools/KovaVssShadow/call_text.h"
#include "tools/KovaVssShadow/random_guid.h"

namespace {

// Runs one provider call, tells the observer, and records a failure.
class CallRunner {
 public:
  CallRunner(const CallObserver& observer, ProviderFailure* failure)
      : observer_(observer), failure_(failure) {}

  bool Run(const char* method, const std::function<HRESULT()>& call) {
    const auto start = std::chrono::steady_clock::now();
    const HRESULT result = call();
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (observer_) observer_(method, result, seconds);
    if (SUCCEEDED(result)) return true;
    *failure_ = ProviderFailure{method, result, ""};
    return false;
  }

 private:
  const CallObserver& observer_;
  ProviderFailure* failure_;
};

bool PrepareSnapshots(ProviderSession& provider, LunRecordArray& luns, const GUID& set_id, CallRunner& runner) {
  VSS_PWSZ* devices = luns.devices();
  for (size_t i = 0; i < luns.size(); ++i) {
    const GUID snapshot_id = NewRandomGuid();
    const bool ok = runner.Run("BeginPrepareSnapshot", [&] {
      return provider.Hardware().BeginPrepareSnapshot(set_id, snapshot_id, 0, 1, &devices[i], &luns[i]);
    });
    if (!ok) return false;
  }
  return true;
}

bool CommitSnapshotSet(ProviderSession& provider, LONG count, const GUID& set_id, CallRunner& runner) {
  IVssProviderCreateSnapshotSet& set = provider.SnapshotSet();
  const std::vector<std::pair<const char*, std::function<HRESULT()>>> steps = {
      {"EndPrepareSnapshots", [&] { return set.EndPrepareSnapshots(set_id); }},
      {"PreCommitSnapshots", [&] { return set.PreCommitSnapshots(set_id); }},
      {"CommitSnapshots", [&] { return set.CommitSnapshots(set_id); }},
      {"PostCommitSnapshots", [&] { return set.PostCommitSnapshots(set_id, count); }},
      {"PreFinalCommitSnapshots", [&] { return set.PreFinalCommitSnapshots(set_id); }},
      {"PostFinalCommitSnapshots", [&] { return set.PostFinalCommitSnapshots(set_id); }},
  };
  for (const auto& step : steps) {
    if (!runner.Run(step.first, step.second)) return false;
  }
  return true;
}

}  // namespace

bool CreateShadowCopySet(ProviderSession& provider, LunRecordArray& luns, const GUID& set_id,
                         LunRecordArray* targets, ProviderFailure* failure, const CallObserver& observer) {
  CallRunner runner(observer, failure);
  BOOL supported = FALSE;
  if (!runner.Run("AreLunsSupported", [&] {
        return provider.Hardware().AreLunsSupported(luns.count(), 0, luns.devices(), luns.data(), &supported);
      })) {
    return false;
  }
  if (!supported) {
    *failure = ProviderFailure{"AreLunsSupported", S_OK, "the provider does not support these LUNs"};
    return false;
  }
  LunRecordArray filled(luns.size());
  const bool made = PrepareSnapshots(provider, luns, set_id, runner) &&
                    CommitSnapshotSet(provider, luns.count(), set_id, runner) &&
                    runner.Run("GetTargetLuns", [&] {
                      return provider.Hardware().GetTargetLuns(luns.count(), luns.devices(), luns.data(),
                                                               filled.data());
                    });
  if (!made) {
    ProviderFailure first = *failure;
    runner.Run("AbortSnapshots", [&] { return provider.SnapshotSet().AbortSnapshots(set_id); });
    *failure = first;
    return false;
  }
  *targets = std::move(filled);
  return true;
}

std::string DescribeFailure(const ProviderFailure& failure) {
  std::string text = failure.method + " failed: " + HresultText(failure.result);
  if (!failure.reason.empty()) text += " (" + failure.reason + ")";
  return text;
}
