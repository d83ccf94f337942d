#include "tools/KovaVssShadow/provider_reach.h"

#include "platform/com_class_client.h"
#include "provider/service/provider_identities.h"

bool TakeThroughComOption(std::vector<std::string>* args) {
  if (args->empty() || (*args)[0] != kThroughComOption) return false;
  args->erase(args->begin());
  return true;
}

ProviderFactory LocalServerProviderFactory() {
  return [](REFIID iid, void** object) { return platform::CreateLocalServerObject(CLSID_KovaVssProvider, iid, object); };
}
