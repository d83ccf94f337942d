#include "tools/KovaVssShadow/shadow_commands.h"

#include <functional>
#include <utility>

#include "platform/guid.h"
#include "tools/KovaVssShadow/call_text.h"
#include "tools/KovaVssShadow/lun_json.h"
#include "tools/KovaVssShadow/random_guid.h"
#include "tools/KovaVssShadow/shadow_copy_set.h"

namespace {

int BadInput(const ShadowEnvironment& env, const std::string& message) {
  *env.err << "KovaVssShadow: " << message << std::endl;
  return kExitBadInput;
}

int Failed(const ShadowEnvironment& env, const std::string& method, HRESULT result) {
  *env.err << DescribeFailure(ProviderFailure{method, result, ""}) << std::endl;
  return kExitProviderFailure;
}

// The LUN arguments of |command|, at least one.
bool LoadLuns(const std::string& command, const std::vector<std::string>& args, const ShadowEnvironment& env,
              LunRecordArray* luns, int* exit_code) {
  std::string error;
  if (args.empty()) {
    *exit_code = BadInput(env, command + " needs at least one LUN (a block device or @FILE)");
  } else if (!LoadLunArguments(args, env.device_reader, luns, &error)) {
    *exit_code = BadInput(env, error);
  } else {
    return true;
  }
  return false;
}

// Makes the provider and brackets |work| with OnLoad and OnUnload(FALSE).
int WithLoadedProvider(const ShadowEnvironment& env, const std::function<int(ProviderSession&)>& work) {
  ProviderSession provider;
  std::string step;
  const HRESULT made = provider.Open(env.factory, &step);
  if (FAILED(made)) return Failed(env, step, made);
  const HRESULT loaded = provider.Notifications().OnLoad(nullptr);
  if (FAILED(loaded)) return Failed(env, "OnLoad", loaded);
  const int code = work(provider);
  const HRESULT unloaded = provider.Notifications().OnUnload(FALSE);
  if (FAILED(unloaded)) {
    Failed(env, "OnUnload", unloaded);
    return code == kExitSuccess ? kExitProviderFailure : code;
  }
  return code;
}

// Prints the result line of one call; a failure also goes to standard error.
bool Report(const ShadowEnvironment& env, const std::string& method, HRESULT result) {
  *env.out << CallResultLine(method, result) << std::endl;
  if (SUCCEEDED(result)) return true;
  Failed(env, method, result);
  return false;
}

void PrintShadowCopySet(const ShadowEnvironment& env, const GUID& set_id, const LunRecordArray& targets) {
  *env.out << "{\n  \"snapshot_set_id\": \"" << platform::GuidToString(set_id) << "\",\n  \"targets\": "
           << FormatLunRecords(targets.data(), targets.size(), 2) << "\n}" << std::endl;
}

}  // namespace

int RunCreateCommand(const std::vector<std::string>& args, const ShadowEnvironment& env) {
  LunRecordArray luns;
  int code = kExitSuccess;
  if (!LoadLuns("create", args, env, &luns, &code)) return code;
  return WithLoadedProvider(env, [&](ProviderSession& provider) {
    const GUID set_id = NewRandomGuid();
    LunRecordArray targets;
    ProviderFailure failure;
    if (!CreateShadowCopySet(provider, luns, set_id, &targets, &failure)) {
      *env.err << DescribeFailure(failure) << std::endl;
      return static_cast<int>(kExitProviderFailure);
    }
    PrintShadowCopySet(env, set_id, targets);
    return static_cast<int>(kExitSuccess);
  });
}

int RunImportCommand(const std::vector<std::string>& args, const ShadowEnvironment& env) {
  LunRecordArray luns;
  int code = kExitSuccess;
  if (!LoadLuns("import", args, env, &luns, &code)) return code;
  return WithLoadedProvider(env, [&](ProviderSession& provider) {
    const HRESULT result = provider.Hardware().LocateLuns(luns.count(), luns.data());
    return Report(env, "LocateLuns", result) ? kExitSuccess : kExitProviderFailure;
  });
}

int RunDeleteCommand(const std::vector<std::string>& args, const ShadowEnvironment& env) {
  LunRecordArray luns;
  int code = kExitSuccess;
  if (!LoadLuns("delete", args, env, &luns, &code)) return code;
  return WithLoadedProvider(env, [&](ProviderSession& provider) {
    VSS_PWSZ* devices = luns.devices();
    int result_code = kExitSuccess;
    for (size_t i = 0; i < luns.size(); ++i) {
      // Every LUN is released even after a failure, so one bad LUN leaves no others behind.
      if (!Report(env, "OnLunEmpty", provider.Hardware().OnLunEmpty(devices[i], &luns[i]))) {
        result_code = kExitProviderFailure;
      }
    }
    return result_code;
  });
}

int RunMaskCommand(const std::vector<std::string>& args, const ShadowEnvironment& env) {
  LunRecordArray luns;
  int code = kExitSuccess;
  if (!LoadLuns("mask", args, env, &luns, &code)) return code;
  return WithLoadedProvider(env, [&](ProviderSession& provider) {
    // The records of the original LUNs are not known here; the provider does not use them.
    const HRESULT result = provider.Hardware().OnLunStateChange(
        luns.data(), nullptr, static_cast<DWORD>(luns.size()), VSS_ONLUNSTATECHANGE_DO_MASK_LUNS);
    return Report(env, "OnLunStateChange", result) ? kExitSuccess : kExitProviderFailure;
  });
}

int RunResyncCommand(const std::vector<std::string>& args, const ShadowEnvironment& env) {
  if (args.empty() || args.size() % 2 != 0) {
    return BadInput(env, "resync needs SOURCE TARGET pairs of LUNs");
  }
  std::vector<LunRecordArray> singles;
  std::string error;
  if (!LoadSingleLunArguments(args, env.device_reader, &singles, &error)) return BadInput(env, error);
  LunRecordArray sources;
  LunRecordArray targets;
  for (size_t i = 0; i < singles.size(); ++i) (i % 2 == 0 ? sources : targets).Append(std::move(singles[i]));
  return WithLoadedProvider(env, [&](ProviderSession& provider) {
    IVssAsync* async = nullptr;
    const HRESULT result = provider.Hardware().ResyncLuns(sources.data(), targets.data(),
                                                          static_cast<DWORD>(sources.size()), &async);
    if (async != nullptr) async->Release();
    return Report(env, "ResyncLuns", result) ? kExitSuccess : kExitProviderFailure;
  });
}

int RunShowCommand(const std::vector<std::string>& args, const ShadowEnvironment& env) {
  LunRecordArray luns;
  int code = kExitSuccess;
  if (!LoadLuns("show", args, env, &luns, &code)) return code;
  for (size_t i = 0; i < luns.size(); ++i) {
    const std::string list = FormatLunRecordsCompact(luns.data() + i, 1);  // "[{...}]"
    *env.out << (i == 0 ? "[" : " ") << list.substr(1, list.size() - 2) << (i + 1 < luns.size() ? ",\n" : "]\n");
  }
  return kExitSuccess;
}
