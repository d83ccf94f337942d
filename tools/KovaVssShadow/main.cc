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

int main(int argc, char** argv) {
  platform::PrepareProcessForTls();
  OpenProviderLog();
  ShadowEnvironment env;
  env.factory = CreateKovaVssProviderInstance;
  env.device_reader = ReadLunInformationFromDevice;
  env.in = &std::cin;
  env.out = &std::cout;
  env.err = &std::cerr;
  const int code = RunKovaVssShadow(std::vector<std::string>(argv + 1, argv + argc), env);
  Logger::Close();
  return code;
}
