// KovaVssShadow: the VSS coordinator of the Linux build. Hosts a provider
// object in this process and drives it through the calls VSS makes
// (shadow_cli.h, README.md).
#include <iostream>
#include <string>
#include <vector>

#include "library/log/logger.h"
#include "platform/tls_process.h"
#include "provider/identity/lun_record_builder.h"
#include "provider/vss/kova_vss_provider_factory.h"
#include "tools/KovaVssShadow/provider_log.h"
#include "tools/KovaVssShadow/shadow_cli.h"

#ifdef _WIN32
#include "platform/utf16.h"

// Arguments as UTF-8, like the rest of the coordinator's text.
int wmain(int argc, wchar_t** argv) {
  std::vector<std::string> args;
  for (int i = 1; i < argc; ++i) {
    args.push_back(platform::Utf16ToUtf8(reinterpret_cast<const char16_t*>(argv[i])));
  }
#else
int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
#endif
  platform::PrepareProcessForTls();
  OpenProviderLog();
  ShadowEnvironment env;
  env.factory = CreateKovaVssProviderInstance;
  env.device_reader = ReadLunInformationFromDevice;
  env.in = &std::cin;
  env.out = &std::cout;
  env.err = &std::cerr;
  const int code = RunKovaVssShadow(args, env);
  Logger::Close();
  return code;
}
