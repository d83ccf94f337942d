// Walks one array through what the provider does with it: token, session,
// identity, snapshot, import as a volume copy connected to this host, and
// release. Prints each step and what the array answered.
//
// Usage: KovaArrayDemo URL USER PASSWORD [HOST-ID...]
#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

#include "library/log/logger.h"
#include "library/rest/kova_array.h"
#include "library/rest/kova_rest.h"
#include "platform/guid.h"
#include "platform/tls_process.h"

namespace {

constexpr char kSupportedVersion[] = "1.1";

void Step(const std::string& what) { std::cout << "- " << what << std::endl; }

int Run(const std::string& url, const std::string& user, const std::string& password,
        const std::vector<std::string>& host_ids) {
  KovaREST tool_rest;
  const utility::string_t versions = tool_rest.GetRESTVersionFromArray(url);
  Step("array offers REST versions " + versions);
  const utility::string_t chosen = KovaArray::GetComaptibleRestVersion(kSupportedVersion, versions);
  if (chosen.empty()) {
    std::cerr << "the array does not offer REST version " << kSupportedVersion << "\n";
    return 1;
  }
  utility::string_t token;
  if (FAILED(tool_rest.GenerateAPIToken(url, chosen, user, password, token))) {
    std::cerr << "the array refused the user name or password\n";
    return 1;
  }
  Step("API token obtained for " + user + " (" + std::to_string(token.size()) + " characters)");

  KovaArray array;
  array.Initialize(U("demo"), url, token, chosen);
  Step("session opened; array ID " + array.GetCachedArrayID());

  const std::string volume = "db01";
  std::string serial;
  if (array.GetVolumeSerialID(volume, serial) != 0) {
    std::cerr << "the array has no volume " << volume << "\n";
    return 1;
  }
  Step("volume " + volume + " has serial " + serial + (array.DoesVolumeBelongToArray(serial)
                                                           ? ", which belongs to this array"
                                                           : ", which is foreign"));
  GUID set_id{};
  platform::GuidFromString("{6B29FC40-CA47-1067-B31D-00DD010662DA}", &set_id);
  std::string snapshot;
  std::string snapshot_serial;
  if (array.CreateSnapshot(volume, set_id, snapshot, snapshot_serial) != 0) return 1;
  Step("snapshot " + snapshot + " created with serial " + snapshot_serial);

  std::string copy;
  std::string copy_serial;
  if (array.CreateVolumeCopy(snapshot, snapshot_serial, copy, copy_serial) != 0) return 1;
  Step("snapshot imported as volume copy " + copy + " (serial " + copy_serial + ")");
  std::string host;
  if (array.GetHostName(host_ids, host) == 0) {
    array.MapVolume(copy, host_ids);
    Step(copy + " connected to host " + host);
    array.UnMapVolume(copy, host_ids);
    Step(copy + " disconnected from host " + host);
  } else {
    Step("this host is not defined on the array; the copy stays unconnected");
  }
  array.DeleteVolume(copy, true);
  Step(copy + " destroyed and eradicated");
  array.DeleteVolume(snapshot, true);
  Step(snapshot + " destroyed and eradicated");
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  platform::PrepareProcessForTls();
  if (argc < 4) {
    std::cerr << "usage: KovaArrayDemo URL USER PASSWORD [HOST-ID...]\n";
    return 2;
  }
  Logger::Open(false, LOG_ERROR);
  int result = 1;
  try {
    result = Run(argv[1], argv[2], argv[3], std::vector<std::string>(argv + 4, argv + argc));
    if (result == 0) Step("session closed; done");
  } catch (const std::exception& e) {
    std::cerr << "failed: " << e.what() << "\n";
  }
  Logger::Close();
  return result;
}
