#include "OstaraRegTool/array_status.h"

#include <exception>

#include "OstaraRegTool/settings_store.h"
#include "library/rest/kova_array.h"
#include "library/rest/kova_rest.h"

utility::string_t ChooseRestVersion(const utility::string_t& array_versions) {
  return KovaArray::GetComaptibleRestVersion(GetRESTVersionFromRegistry(), array_versions);
}

void CheckArrayStatus(ArrayConfig& config) {
  try {
    KovaREST rest(KovaREST::GetRESTTimeOutFromRegistry());
    const utility::string_t versions = rest.GetRESTVersionFromArray(config.url);
    config.online = U("yes");
    const utility::string_t chosen = ChooseRestVersion(versions);
    if (chosen.empty()) return;
    config.compatible = U("yes");
    config.authenticated =
        rest.VerifyAPIToken(config.url, chosen, config.apiToken) ? U("yes") : U("no");
  } catch (const std::exception&) {
    // The status stays as far as it got: the listing shows what is known.
  }
}
