#include "tools/KovaVssShadow/script_runner.h"

#include <cinttypes>
#include <cstdio>
#include <fstream>
#include <string>

#include "platform/guid.h"
#include "tools/KovaVssShadow/call_text.h"
#include "tools/KovaVssShadow/lun_json.h"
#include "tools/KovaVssShadow/random_guid.h"
#include "tools/KovaVssShadow/shadow_environment.h"

namespace {

// One call's result and the out values printed after it (" supported=true").
struct Outcome {
  HRESULT result = S_OK;
  std::string values;
};

const char* Bool(BOOL value) { return value ? "true" : "false"; }

bool SaveTargets(const std::string& path, const LunRecordArray& targets, std::string* error) {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file << FormatLunRecords(targets.data(), targets.size()) << "\n";
  file.close();
  if (!file) return *error = "cannot write " + path, false;
  return true;
}

// Calls that take no LUN.
Outcome CallWithoutLuns(const ScriptCall& call, ProviderSession& provider) {
  IVssProviderCreateSnapshotSet& set = provider.SnapshotSet();
  switch (call.method) {
    case ScriptMethod::kOnLoad:
      return {provider.Notifications().OnLoad(nullptr), ""};
    case ScriptMethod::kOnUnload:
      return {provider.Notifications().OnUnload(call.force ? TRUE : FALSE), ""};
    case ScriptMethod::kGetProviderCapabilities: {
      ULONGLONG mask = 0;
      const HRESULT result = provider.Hardware().GetProviderCapabilities(&mask);
      char text[32];
      std::snprintf(text, sizeof text, " mask=0x%016" PRIX64, static_cast<uint64_t>(mask));
      return {result, SUCCEEDED(result) ? text : ""};
    }
    case ScriptMethod::kEndPrepareSnapshots:
      return {set.EndPrepareSnapshots(call.set_id), ""};
    case ScriptMethod::kPreCommitSnapshots:
      return {set.PreCommitSnapshots(call.set_id), ""};
    case ScriptMethod::kCommitSnapshots:
      return {set.CommitSnapshots(call.set_id), ""};
    case ScriptMethod::kPostCommitSnapshots:
      return {set.PostCommitSnapshots(call.set_id, call.snapshot_count), ""};
    case ScriptMethod::kPreFinalCommitSnapshots:
      return {set.PreFinalCommitSnapshots(call.set_id), ""};
    case ScriptMethod::kPostFinalCommitSnapshots:
      return {set.PostFinalCommitSnapshots(call.set_id), ""};
    default:
      return {set.AbortSnapshots(call.set_id), ""};
  }
}

Outcome CallGetTargetLuns(const ScriptCall& call, ProviderSession& provider, LunRecordArray& luns,
                          std::string* save_error) {
  LunRecordArray targets(luns.size());
  const HRESULT result =
      provider.Hardware().GetTargetLuns(luns.count(), luns.devices(), luns.data(), targets.data());
  if (FAILED(result)) return {result, ""};
  if (!call.save_path.empty()) SaveTargets(call.save_path, targets, save_error);
  return {result, " targets=" + FormatLunRecordsCompact(targets.data(), targets.size())};
}

// Calls whose LUNs are one list of records.
Outcome CallWithLuns(const ScriptCall& call, ProviderSession& provider, LunRecordArray& luns,
                     std::string* save_error) {
  IVssHardwareSnapshotProviderEx& hardware = provider.Hardware();
  BOOL supported = FALSE;
  switch (call.method) {
    case ScriptMethod::kAreLunsSupported: {
      const HRESULT result =
          hardware.AreLunsSupported(luns.count(), call.context, luns.devices(), luns.data(), &supported);
      return {result, std::string(" supported=") + Bool(supported)};
    }
    case ScriptMethod::kFillInLunInfo: {
      const HRESULT result = hardware.FillInLunInfo(luns.devices()[0], &luns[0], &supported);
      return {result, std::string(" supported=") + Bool(supported)};
    }
    case ScriptMethod::kBeginPrepareSnapshot: {
      const GUID snapshot_id = call.snapshot_id ? *call.snapshot_id : NewRandomGuid();
      const HRESULT result = hardware.BeginPrepareSnapshot(call.set_id, snapshot_id, call.context, luns.count(),
                                                           luns.devices(), luns.data());
      return {result, " snapshot=" + platform::GuidToString(snapshot_id)};
    }
    case ScriptMethod::kGetTargetLuns:
      return CallGetTargetLuns(call, provider, luns, save_error);
    case ScriptMethod::kLocateLuns:
      return {hardware.LocateLuns(luns.count(), luns.data()), ""};
    case ScriptMethod::kOnLunEmpty:
      return {hardware.OnLunEmpty(luns.devices()[0], &luns[0]), ""};
    case ScriptMethod::kOnLunStateChange:
      return {hardware.OnLunStateChange(luns.data(), nullptr, static_cast<DWORD>(luns.size()), call.flags), ""};
    default:
      return {hardware.OnReuseLuns(luns.data(), nullptr, static_cast<DWORD>(luns.size())), ""};
  }
}

Outcome CallResync(ProviderSession& provider, std::vector<LunRecordArray>& singles) {
  LunRecordArray sources;
  LunRecordArray targets;
  for (size_t i = 0; i < singles.size(); ++i) (i % 2 == 0 ? sources : targets).Append(std::move(singles[i]));
  IVssAsync* async = nullptr;
  const HRESULT result =
      provider.Hardware().ResyncLuns(sources.data(), targets.data(), static_cast<DWORD>(sources.size()), &async);
  if (async != nullptr) async->Release();
  return {result, ""};
}

// What became of one line.
enum class LineResult {
  kInputError,   // its LUNs could not be read; no call was made
  kCalled,
  kOutputError,  // the call was made, its save= file could not be written
};

LineResult RunLine(const ScriptCall& call, ProviderSession& provider, const LunDeviceReader& reader,
                   Outcome* outcome, std::string* error) {
  const LunArity arity = LunArityOf(call.method);
  if (arity == LunArity::kNone) {
    *outcome = CallWithoutLuns(call, provider);
    return LineResult::kCalled;
  }
  if (arity == LunArity::kPairs) {
    std::vector<LunRecordArray> singles;
    if (!LoadSingleLunArguments(call.luns, reader, &singles, error)) return LineResult::kInputError;
    *outcome = CallResync(provider, singles);
    return LineResult::kCalled;
  }
  LunRecordArray luns;
  if (!LoadLunArguments(call.luns, reader, &luns, error)) return LineResult::kInputError;
  if (arity == LunArity::kOne && luns.size() != 1) {
    *error = call.name + " needs exactly one LUN record, " + call.luns[0] + " holds " + std::to_string(luns.size());
    return LineResult::kInputError;
  }
  *outcome = CallWithLuns(call, provider, luns, error);
  return error->empty() ? LineResult::kCalled : LineResult::kOutputError;
}

}  // namespace

int RunScriptCalls(const std::vector<ScriptCall>& calls, ProviderSession& provider,
                   const LunDeviceReader& reader, std::ostream& out, std::ostream& err) {
  for (const ScriptCall& call : calls) {
    Outcome outcome;
    std::string error;
    const LineResult ran = RunLine(call, provider, reader, &outcome, &error);
    if (ran != LineResult::kInputError) out << CallResultLine(call.name, outcome.result) << outcome.values << std::endl;
    if (ran != LineResult::kCalled) {
      err << "line " << call.line << ": " << error << std::endl;
      return kExitBadInput;
    }
  }
  return kExitSuccess;
}
