// KovaVssShadow: the VSS coordinator of the test and demo machines. Hosts a
// provider object in this process, or reaches the provider program through
// COM ("--com"), and drives it through the calls VSS makes (shadow_cli.h,
// README.md). Started by COM with "-Embedding", it stands in for the VSS
// coordinator's class instead (coordinator_stand_in.h).
#include <iostream>
#include <string>
#include <vector>

#include "library/log/logger.h"
#include "platform/com_runtime.h"
#include "platform/message_loop.h"
#include "platform/tls_process.h"
#include "provider/identity/lun_record_builder.h"
#include "provider/vss/kova_vss_provider_factory.h"
#include "tools/KovaVssShadow/coordinator_stand_in.h"
#include "tools/KovaVssShadow/provider_log.h"
#include "tools/KovaVssShadow/provider_reach.h"
#include "tools/KovaVssShadow/shadow_cli.h"

namespace {

int RunCoordinator(std::vector<std::string> args) {
  ShadowEnvironment env;
  env.device_reader = ReadLunInformationFromDevice;
  env.in = &std::cin;
  env.out = &std::cout;
  env.err = &std::cerr;
  if (TakeThroughComOption(&args)) {
    platform::ComRuntime& com = platform::SystemComRuntime();
    const HRESULT initialised = com.InitializeApartment(true);
    env.factory = LocalServerProviderFactory();
    const int code = RunKovaVssShadow(args, env);
    if (SUCCEEDED(initialised)) com.UninitializeApartment();
    return code;
  }
  // The provider lives here: its log is this process's.
  platform::PrepareProcessForTls();
  OpenProviderLog();
  env.factory = CreateKovaVssProviderInstance;
  const int code = RunKovaVssShadow(args, env);
  Logger::Close();
  return code;
}

int RunProgram(const std::vector<std::string>& args) {
  if (IsComActivation(args)) {
    return ServeVssCoordinatorStandIn(platform::SystemComRuntime(), platform::SystemMessageLoop(), std::cerr);
  }
  return RunCoordinator(args);
}

}  // namespace

#ifdef _WIN32
#include "platform/utf16.h"

// Arguments as UTF-8, like the rest of the coordinator's text.
int wmain(int argc, wchar_t** argv) {
  std::vector<std::string> args;
  for (int i = 1; i < argc; ++i) {
    args.push_back(platform::Utf16ToUtf8(reinterpret_cast<const char16_t*>(argv[i])));
  }
  return RunProgram(args);
}
#else
int main(int argc, char** argv) { return RunProgram(std::vector<std::string>(argv + 1, argv + argc)); }
#endif
