// KovaProviderConfig: the configuration tool of the VSS hardware provider.
#include "OstaraRegTool/tool_startup.h"
#include "platform/tls_process.h"

#ifdef _WIN32
int wmain(int argc, wchar_t** argv) {
#else
int main(int argc, char** argv) {
#endif
  platform::PrepareProcessForTls();
  const CommandArgs args(argv, argv + argc);
  return RunKovaProviderConfig(args);
}
