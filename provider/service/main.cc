// KovaProvider: the VSS hardware provider's service and COM local server.
#include <string>
#include <vector>

#include "platform/program_identity.h"
#include "platform/string_resources.h"
#include "platform/tls_process.h"
#include "provider/service/provider_entry.h"
#include "provider/service/provider_identities.h"

int main(int argc, char** argv) {
  platform::PrepareProcessForTls();
  const std::vector<std::string> args(argv, argv + argc);
  // POSIX programs carry no string table; the built-in name stands in.
  std::string service_name = kova_service::kServiceName;
  platform::SystemStringResources().Load(kova_service::kServiceNameStringId, &service_name);
  return kova_service::RunKovaProvider(platform::ProgramCommandLine(args),
                                       kova_service::SystemServiceHostFacilities(), service_name);
}
