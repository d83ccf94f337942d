#include "library/rest/kova_array.h"

#include <algorithm>
#include <cctype>
#include <iterator>
#include <map>
#include <stdexcept>

#include "library/log/log_tags.h"
#include "library/log/logger.h"
#include "library/text/text_conversion.h"

using KovaStorage::KovaRestException;
using web::json::value;

namespace {

constexpr const char* kTag = kRestLibraryTag;
constexpr uint16_t kStatusOk = 200;
constexpr uint16_t kStatusBadRequest = 400;
constexpr uint16_t kStatusNotFound = 404;
constexpr uint16_t kStatusNotAcceptable = 406;

value StringValue(const std::string& narrow) {
  return value::string(kova::TextOfUtf8(narrow));
}

const char* Kind(bool snapshot) { return snapshot ? "Snapshot" : "Volume"; }

bool EqualIgnoringCase(const std::string& a, const std::string& b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) ==
                  std::tolower(static_cast<unsigned char>(y));
         });
}

// A list answer must be a JSON array; anything else is reported as 406.
void RequireArray(const value& response) {
  if (!response.is_array()) {
    Logger::Write(LOG_ERROR, kTag, "JSON Response was not a valid array as expected");
    throw KovaRestException(kStatusNotAcceptable, response);
  }
}

utility::string_t SnapshotSuffixOrThrow(const GUID& snapshot_set_id) {
  const utility::string_t suffix = KovaArray::MakeSnapshotSuffix(snapshot_set_id);
  if (suffix.empty()) {
    Logger::Write(LOG_ERROR, kTag, "Invalid snapshotset ID");
    throw std::invalid_argument("Invalid snapshotset ID");
  }
  return suffix;
}

// {"suffix": suffix, "snap": true, "source": [the volumes in order]}.
value SnapshotRequestBody(const utility::string_t& suffix, const std::vector<std::string>& volumes) {
  value sources = value::array(volumes.size());
  for (size_t i = 0; i < volumes.size(); ++i) sources[i] = StringValue(volumes[i]);
  value body = value::object();
  body[U("suffix")] = value::string(suffix);
  body[U("snap")] = value::boolean(true);
  body[U("source")] = sources;
  return body;
}

// The top-level "name" text of an element of a list answer; "" for none.
std::string ElementName(const value& element) {
  if (!element.is_object() || !element.has_field(U("name"))) return std::string();
  const value& name = element.at(U("name"));
  return name.is_string() ? kova::NarrowText(name.as_string()) : std::string();
}

// Sets serials[i] for each names[i] that |answer| lists exactly once and
// with a serial, and logs each other name. True when all are so listed.
bool MatchSnapshots(const value& answer, const std::vector<std::string>& volumes,
                    const std::vector<std::string>& names, std::vector<std::string>& serials) {
  std::map<std::string, std::vector<const value*>> listed;
  for (const value& element : answer.as_array()) listed[ElementName(element)].push_back(&element);
  bool complete = true;
  for (size_t i = 0; i < names.size(); ++i) {
    const auto found = listed.find(names[i]);
    const size_t times = found == listed.end() ? 0 : found->second.size();
    std::string serial;
    if (times == 1 && KovaREST::GetJsonValueString(*found->second.front(), U("serial"), serial) == 0) {
      serials[i] = serial;
      Logger::Write(LOG_INFO, kTag, "Snapshot(%hs) created for Volume(%hs)", names[i], volumes[i]);
      continue;
    }
    complete = false;
    if (times == 0) {
      Logger::Write(LOG_ERROR, kTag, "Snapshot(%hs) is missing from the array's answer", names[i]);
    } else if (times > 1) {
      Logger::Write(LOG_ERROR, kTag, "Snapshot(%hs) is listed %d times in the array's answer",
                    names[i], static_cast<int>(times));
    } else {
      Logger::Write(LOG_ERROR, kTag, "Snapshot(%hs) has no serial in the array's answer", names[i]);
    }
  }
  return complete;
}

}  // namespace

namespace {

// The transport is a member, so the entry line must come from its
// initialiser to precede the time-out read.
int32_t EnterAndReadTimeout() {
  Logger::Write(LOG_DEBUG, kTag, "Entering: KovaArray::KovaArray()");
  return KovaREST::GetRESTTimeOutFromRegistry();
}

}  // namespace

KovaArray::KovaArray() : rest_(EnterAndReadTimeout()) {
  Logger::Write(LOG_DEBUG, kTag, "Leaving: KovaArray::KovaArray()");
}

KovaArray::~KovaArray() {
  Logger::Write(LOG_DEBUG, kTag, "ENTERING : KovaArray::~KovaArray() for %ls", name_);
  DestroySession();
  Logger::Write(LOG_DEBUG, kTag, "EXITING : KovaArray::~KovaArray()");
}

utility::string_t KovaArray::Path(const std::string& resource) const {
  return U("/api/") + rest_version_ + kova::WidenText(resource);
}

void KovaArray::Initialize(const utility::string_t& name, const utility::string_t& url,
                           const utility::string_t& api_token,
                           const utility::string_t& supported_version) {
  Logger::Write(LOG_DEBUG, kTag, "ENTERING : KovaArray::Initialize for %ls", name);
  if (name.empty() || url.empty() || api_token.empty() || supported_version.empty()) {
    throw std::invalid_argument("KovaArray Initialize: Invalid Input Argument");
  }
  const utility::string_t versions = rest_.GetRESTVersionFromArray(url);
  const utility::string_t chosen = GetComaptibleRestVersion(supported_version, versions);
  if (chosen.empty()) {
    throw std::invalid_argument("KovaArray Initialize: Array's REST Version is incompatible");
  }
  rest_.Configure(url, api_token, chosen);
  name_ = name;
  url_ = url;
  rest_version_ = chosen;

  std::string id;
  GetArrayID(id);
  id.erase(std::remove(id.begin(), id.end(), '-'), id.end());
  for (char& c : id) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  array_id_ = id;
  Logger::Write(LOG_DEBUG, kTag, "EXITING : KovaArray::Initialize()");
}

void KovaArray::DestroySession() noexcept {
  try {
    Logger::Write(LOG_DEBUG, kDestroySessionTag, "ENTERING : KovaArray::DestroySession()");
    uint16_t status = 0;
    value response;
    rest_.RequestSync(Path("/auth/session"), KovaREST::kDelete, nullptr, status, response);
    if (status != kStatusOk) Logger::Write(LOG_ERROR, kDestroySessionTag, "DestroySession failed");
  } catch (const std::exception& e) {
    Logger::Write(LOG_ERROR, kDestroySessionTag, "KovaArray::DestroySession() failed with %hs",
                  e.what());
  }
  Logger::Write(LOG_INFO, kDestroySessionTag, "EXITING : KovaArray::DestroySession()");
}

bool KovaArray::DoesVolumeBelongToArray(const std::string& serial) const {
  Logger::Write(LOG_DEBUG, kTag, "ENTERING: KovaArray::DoesVolumeBelongToArray: Serial= %hs",
                serial);
  if (serial.size() < 16) {
    throw std::invalid_argument("KovaArray DoesVolumeBelongToArray: Invalid Input Argument");
  }
  const bool belongs = array_id_.find(serial.substr(0, 16)) != std::string::npos;
  Logger::Write(LOG_DEBUG, kTag,
                belongs ? "EXITING: KovaArray::DoesVolumeBelongToArray. volume serial:%hs "
                          "belongs to array id=%hs"
                        : "EXITING: KovaArray::DoesVolumeBelongToArray. volume serial:%hs does "
                          "not belong to array id=%hs",
                serial, array_id_);
  return belongs;
}

value KovaArray::GetList(const std::string& resource, const char* failure_message) {
  uint16_t status = 0;
  value response;
  rest_.RequestSync(Path(resource), KovaREST::kGet, nullptr, status, response);
  if (status != kStatusOk) {
    Logger::Write(LOG_ERROR, kTag, "%hs", failure_message);
    throw KovaRestException(status, response);
  }
  RequireArray(response);
  return response;
}

int KovaArray::CheckVolumeWithArray(const std::string& serial, std::string& name,
                                    bool snapshot) {
  Logger::Write(LOG_DEBUG, kTag, "ENTERING: KovaArray::CheckVolumeWithArray %hs",
                snapshot ? "(Snapshot)" : "");
  Logger::Write(LOG_INFO, kTag, "Trying to find Volume serial: %hs", serial);
  const value list = GetList(snapshot ? "/volume?snap=true" : "/volume", "Failed to list volumes");
  const utility::string_t wide_serial = kova::WidenText(serial);
  for (const value& element : list.as_array()) {
    std::string found;
    if (KovaREST::JsonKeyHasValue(element, U("serial"), wide_serial) &&
        KovaREST::GetJsonValueString(element, U("name"), found) == 0) {
      name = found;
      Logger::Write(LOG_DEBUG, kTag, "EXITING: KovaArray::CheckVolumeWithArray. Found %hs serial:%ls (%hs)",
                    Kind(snapshot), serial, name);
      return 0;
    }
  }
  Logger::Write(LOG_INFO, kTag, "EXITING: KovaArray::CheckVolumeWithArray. Could not find %hs serial:%ls",
                Kind(snapshot), serial);
  return 2;
}

namespace {

// Whether the host's list under |key| shares an identifier with |sorted_ids|.
bool HostListShares(const value& host, const utility::string_t& key,
                    const std::vector<std::string>& sorted_ids) {
  value member;
  std::vector<std::string> names;
  if (KovaREST::GetJsonMember(host, key, member) != 0 ||
      !KovaREST::JsonArrayToStrings(member, names)) {
    return false;
  }
  std::sort(names.begin(), names.end());
  std::vector<std::string> shared;
  std::set_intersection(names.begin(), names.end(), sorted_ids.begin(), sorted_ids.end(),
                        std::back_inserter(shared));
  return !shared.empty();
}

}  // namespace

int KovaArray::GetHostName(std::vector<std::string> ids, std::string& host_name) {
  Logger::Write(LOG_DEBUG, kTag, "ENTERING : KovaArray::GetHostName()");
  std::sort(ids.begin(), ids.end());
  const value hosts = GetList("/host", "Failed to list hosts");
  for (const value& host : hosts.as_array()) {
    if (!HostListShares(host, U("wwn"), ids) && !HostListShares(host, U("iqn"), ids)) continue;
    std::string name;
    if (KovaREST::GetJsonValueString(host, U("name"), name) == 0) {
      host_name = name;
      Logger::Write(LOG_DEBUG, kTag, "EXITING : KovaArray::GetHostName(). Host Name Found - %hs",
                    host_name);
      return 0;
    }
  }
  Logger::Write(LOG_ERROR, kTag, "EXITING: KovaArray::GetHostName(). Failed to get host name");
  return 2;
}

int KovaArray::CreateSnapshot(const std::string& volume_name, const GUID& snapshot_set_id,
                              std::string& snapshot_name, std::string& snapshot_serial) {
  Logger::Write(LOG_DEBUG, kTag, "ENTERING: KovaArray::CreateSnapshot()");
  const utility::string_t suffix = SnapshotSuffixOrThrow(snapshot_set_id);
  const std::string expected = MakeSnapshotName(volume_name, snapshot_set_id);
  snapshot_name = expected;

  value body = SnapshotRequestBody(suffix, {volume_name});
  uint16_t status = 0;
  value response;
  rest_.RequestSync(Path("/volume"), KovaREST::kPost, &body, status, response);
  if (status != kStatusOk) {
    Logger::Write(LOG_ERROR, kTag, "Failed to create snapshot for volume: '%hs'", expected);
    throw KovaRestException(status, response);
  }
  RequireArray(response);
  for (const value& element : response.as_array()) {
    if (!KovaREST::JsonKeyHasValue(element, U("name"), kova::WidenText(expected))) continue;
    std::string serial;
    if (KovaREST::GetJsonValueString(element, U("serial"), serial) != 0) break;
    snapshot_serial = serial;
    Logger::Write(LOG_INFO, kTag, "Snapshot(%hs) created for Volume(%hs)", expected, volume_name);
    Logger::Write(LOG_DEBUG, kTag, "EXITING: KovaArray::CreateSnapshot()");
    return 0;
  }
  Logger::Write(LOG_ERROR, kTag, "Failed to create snapshot");
  return 1;
}

int KovaArray::CreateSnapshots(const std::vector<std::string>& volume_names,
                               const GUID& snapshot_set_id, std::vector<std::string>& snapshot_names,
                               std::vector<std::string>& snapshot_serials) {
  Logger::Write(LOG_DEBUG, kTag, "ENTERING: KovaArray::CreateSnapshots()");
  if (volume_names.empty()) {
    throw std::invalid_argument("KovaArray CreateSnapshots: Invalid Input Argument");
  }
  const utility::string_t suffix = SnapshotSuffixOrThrow(snapshot_set_id);
  const std::string narrow_suffix = kova::NarrowText(suffix);
  snapshot_names.clear();
  for (const std::string& volume : volume_names) {
    snapshot_names.push_back(MakeSnapshotName(volume, snapshot_set_id));
  }
  snapshot_serials.assign(volume_names.size(), std::string());

  value body = SnapshotRequestBody(suffix, volume_names);
  uint16_t status = 0;
  value response;
  rest_.RequestSync(Path("/volume"), KovaREST::kPost, &body, status, response);
  if (status != kStatusOk) {
    Logger::Write(LOG_ERROR, kTag, "Failed to create %d snapshots with the suffix '%hs'",
                  static_cast<int>(volume_names.size()), narrow_suffix);
    throw KovaRestException(status, response);
  }
  RequireArray(response);
  if (!MatchSnapshots(response, volume_names, snapshot_names, snapshot_serials)) {
    Logger::Write(LOG_ERROR, kTag, "Failed to create snapshot");
    return 1;
  }
  Logger::Write(LOG_DEBUG, kTag, "EXITING: KovaArray::CreateSnapshots()");
  return 0;
}

int KovaArray::CreateVolumeCopy(const std::string& snapshot_name, const std::string& key,
                                std::string& copy_name, std::string& serial) {
  Logger::Write(LOG_DEBUG, kTag, "ENTERING: KovaArray::CreateVolumeCopy()");
  copy_name = MakeVolumeCopyName(key);
  if (DoesVolumeNameExist(copy_name)) {
    Logger::Write(LOG_INFO, kTag,
                  "Volume copy(%hs) for snapshot(%hs) already exists in array, nothing to do.",
                  copy_name, snapshot_name);
    Logger::Write(LOG_DEBUG, kTag, "EXITING: KovaArray::CreateVolumeCopy()");
    return 0;
  }
  value body = value::object();
  body[U("source")] = StringValue(snapshot_name);
  uint16_t status = 0;
  value response;
  rest_.RequestSync(Path("/volume/" + copy_name), KovaREST::kPost, &body, status, response);
  if (status != kStatusOk) {
    Logger::Write(LOG_ERROR, kTag, "Failed to create volumecopy for snapshot: '%hs'",
                  snapshot_name);
    throw KovaRestException(status, response);
  }
  std::string found_serial;
  if (KovaREST::JsonKeyHasValue(response, U("name"), kova::WidenText(copy_name)) &&
      KovaREST::GetJsonValueString(response, U("serial"), found_serial) == 0) {
    serial = found_serial;
    Logger::Write(LOG_INFO, kTag, "Volume copy(%hs) created for snapshot(%hs)", copy_name,
                  snapshot_name);
    Logger::Write(LOG_DEBUG, kTag, "EXITING: KovaArray::CreateVolumeCopy()");
    return 0;
  }
  Logger::Write(LOG_ERROR, kTag, "Volume Copy Creation Failed");
  return 1;
}

int KovaArray::MapVolume(const std::string& volume_name, std::vector<std::string> ids) {
  Logger::Write(LOG_DEBUG, kTag, "ENTERING : KovaArray::MapVolume(%hs)", volume_name);
  for (size_t i = 0; i < ids.size(); ++i) {
    Logger::Write(LOG_DEBUG, kTag, "KovaArray::MapVolume(): hostId[%ld] = %hs",
                  static_cast<long>(i), ids[i]);
  }
  return ChangeHostConnection(volume_name, std::move(ids), true);
}

int KovaArray::UnMapVolume(const std::string& volume_name, std::vector<std::string> ids) {
  Logger::Write(LOG_DEBUG, kTag, "ENTERING : KovaArray::UnMapVolume()");
  return ChangeHostConnection(volume_name, std::move(ids), false);
}

int KovaArray::ChangeHostConnection(const std::string& volume_name, std::vector<std::string> ids,
                                    bool connect) {
  std::string host;
  if (GetHostName(std::move(ids), host) != 0) {
    throw KovaRestException("Host WWN/iQN information is not available in the KovaArray");
  }
  uint16_t status = 0;
  value response;
  rest_.RequestSync(Path("/host/" + host + "/volume/" + volume_name),
                    connect ? KovaREST::kPost : KovaREST::kDelete, nullptr, status, response);
  // An earlier request carried out whose answer was lost leaves the
  // connection as asked for; asking again must not fail on that.
  if (status != kStatusOk && IsConnectedToHost(host, volume_name) != connect) {
    Logger::Write(LOG_ERROR, kTag,
                  connect ? "Failed to connect host: '%hs' with volume: '%hs'"
                          : "Failed to disconnect host: '%hs' with volume: '%hs'",
                  host, volume_name);
    throw KovaRestException(status, response);
  }
  if (connect) {
    Logger::Write(LOG_INFO, kTag, "Volume(%hs) mapped to host(%hs)", volume_name, host);
    Logger::Write(LOG_DEBUG, kTag, "EXITING : KovaArray::MapVolume()");
  } else {
    Logger::Write(LOG_INFO, kTag, "Volume(%hs) disconnected from host", volume_name);
    Logger::Write(LOG_DEBUG, kTag, "EXITING : KovaArray::UnMapVolume()");
  }
  return 0;
}

bool KovaArray::IsConnectedToHost(const std::string& host, const std::string& volume_name) {
  const value list = GetList("/host/" + host + "/volume", "Failed to list host connections");
  for (const value& element : list.as_array()) {
    std::string connected;
    if (KovaREST::GetJsonValueString(element, U("vol"), connected) == 0 && connected == volume_name) {
      Logger::Write(LOG_INFO, kTag, "Volume(%hs) is connected to host(%hs)", volume_name, host);
      return true;
    }
  }
  Logger::Write(LOG_INFO, kTag, "Volume(%hs) is not connected to host(%hs)", volume_name, host);
  return false;
}

int KovaArray::DeleteVolume(const std::string& volume_name, bool eradicate) {
  Logger::Write(LOG_DEBUG, kTag, "ENTERING : KovaArray::DeleteVolume()");
  // Destroy first; eradication is a second, separate request.
  struct Step {
    bool eradicate;
    const char* failure;
    const char* success;
  };
  static const Step kSteps[] = {{false, "Failed to destroy '%hs'", "Volume '%hs' destroyed"},
                                {true, "Failed to eradicate '%hs'", "Volume '%hs' eradicated"}};
  for (const Step& step : kSteps) {
    if (step.eradicate && !eradicate) break;
    value body = value::object();
    body[U("eradicate")] = value::boolean(step.eradicate);
    uint16_t status = 0;
    value response;
    rest_.RequestSync(Path("/volume/" + volume_name), KovaREST::kDelete, &body, status,
                      response);
    if (status != kStatusOk) {
      Logger::Write(LOG_ERROR, kTag, step.failure, volume_name);
      throw KovaRestException(status, response);
    }
    Logger::Write(LOG_INFO, kTag, step.success, volume_name);
  }
  Logger::Write(LOG_DEBUG, kTag, "EXITING : KovaArray::DeleteVolume()");
  return 0;
}

int KovaArray::CopyVolume(const std::string& source_name, const std::string& target_name) {
  Logger::Write(LOG_DEBUG, kTag, "ENTERING : KovaArray::CopyVolume()");
  value body = value::object();
  body[U("source")] = StringValue(source_name);
  body[U("overwrite")] = value::boolean(true);
  uint16_t status = 0;
  value response;
  rest_.RequestSync(Path("/volume/" + target_name), KovaREST::kPost, &body, status, response);
  if (status != kStatusOk) {
    Logger::Write(LOG_ERROR, kTag, "Failed to copy volume from '%hs' to '%hs'", source_name,
                  target_name);
    throw KovaRestException(status, response);
  }
  Logger::Write(LOG_DEBUG, kTag, "EXITING : KovaArray::CopyVolume()");
  return 0;
}

int KovaArray::FindSnapshotIdForVolumeCopy(const std::string& copy_name,
                                           std::string& snapshot_serial,
                                           std::string& snapshot_name) {
  Logger::Write(LOG_DEBUG, kTag, "ENTERING : KovaArray::FindSnapshotIdForVolumeCopy()");
  const std::string key = copy_name.size() > 4 ? copy_name.substr(4) : std::string();
  const value list = GetList("/volume?snap=true", "Failed to list snapshots");
  for (const value& element : list.as_array()) {
    std::string name;
    std::string serial;
    if (KovaREST::GetJsonValueString(element, U("name"), name) != 0 ||
        KovaREST::GetJsonValueString(element, U("serial"), serial) != 0) {
      continue;
    }
    if (EqualIgnoringCase(serial, key)) {
      snapshot_name = name;
      snapshot_serial = serial;
      Logger::Write(LOG_DEBUG, kTag,
                    "KovaArray::FindSnapshotIdForVolumeCopy(): Found snapname=%hs, snapid=%hs",
                    name, serial);
      Logger::Write(LOG_DEBUG, kTag, "EXITING : KovaArray::FindSnapshotIdForVolumeCopy()");
      return 0;
    }
  }
  return 2;
}

int KovaArray::GetArrayID(std::string& array_id) {
  Logger::Write(LOG_DEBUG, kTag, "ENTERING: KovaArray::GetArrayID");
  uint16_t status = 0;
  value response;
  rest_.RequestSync(Path("/array"), KovaREST::kGet, nullptr, status, response);
  if (status != kStatusOk) {
    Logger::Write(LOG_ERROR, kTag, "Failed to get Array information");
    throw KovaRestException(status, response);
  }
  std::string id;
  if (KovaREST::GetJsonValueString(response, U("id"), id) != 0) {
    Logger::Write(LOG_ERROR, kTag, "Failed to get Array ID");
    throw KovaRestException(status, response);
  }
  array_id = id;
  Logger::Write(LOG_DEBUG, kTag, "EXITING: KovaArray::GetArrayID");
  return 0;
}

bool KovaArray::DoesVolumeNameExist(const std::string& name) {
  Logger::Write(LOG_DEBUG, kTag, "ENTERING: KovaArray::DoesVolumeNameExist, Name %hs", name);
  uint16_t status = 0;
  value response;
  rest_.RequestSync(Path("/volume/" + name), KovaREST::kGet, nullptr, status, response);
  // Only an answer that shows the volume proves it, and only the array's
  // word that there is none disproves it: a failure is no "no", or a copy
  // would be passed over and left behind.
  const bool exists = status == kStatusOk && response.is_object();
  if (!exists && status != kStatusBadRequest && status != kStatusNotFound) {
    Logger::Write(LOG_ERROR, kTag, "Failed to look up volume '%hs'", name);
    throw KovaRestException(status, response);
  }
  Logger::Write(LOG_DEBUG, kTag, "EXITING: KovaArray::DoesVolumeNameExist. Volume (%hs) %hs",
                name, exists ? "exists" : "does not exist");
  return exists;
}

int KovaArray::GetVolumeSerialID(const std::string& volume_name, std::string& serial) {
  Logger::Write(LOG_DEBUG, kTag, "ENTERING: KovaArray::GetVolumeSerialID, Name %hs", volume_name);
  uint16_t status = 0;
  value response;
  rest_.RequestSync(Path("/volume/" + volume_name), KovaREST::kGet, nullptr, status, response);
  int result = 2;
  std::string found;
  if (status != kStatusOk) {
    Logger::Write(LOG_WARN, kTag, "Failed to get serial number of volume '%hs'", volume_name);
  } else if (KovaREST::GetJsonValueString(response, U("serial"), found) == 0) {
    serial = found;
    Logger::Write(LOG_INFO, kTag, "Found volume (%hs) with serial number (%hs)", volume_name,
                  serial);
    result = 0;
  }
  Logger::Write(LOG_DEBUG, kTag, "EXITING: KovaArray::GetVolumeSerialID()");
  return result;
}

utility::string_t KovaArray::MakeSnapshotSuffix(const GUID& snapshot_set_id) {
  const std::string braced = platform::GuidToString(snapshot_set_id);
  if (braced.size() != 38) return utility::string_t();
  std::string digits = braced.substr(1, 36);
  digits.erase(std::remove(digits.begin(), digits.end(), '-'), digits.end());
  return kova::WidenText("VSS-" + digits);
}

std::string KovaArray::MakeSnapshotName(const std::string& volume_name,
                                        const GUID& snapshot_set_id) {
  const utility::string_t suffix = MakeSnapshotSuffix(snapshot_set_id);
  return suffix.empty() ? std::string() : volume_name + "." + kova::NarrowText(suffix);
}

std::string KovaArray::MakeVolumeCopyName(const std::string& text) { return "VSS-" + text; }

utility::string_t KovaArray::GetComaptibleRestVersion(const utility::string_t& supported,
                                                      const utility::string_t& array_versions) {
  Logger::Write(LOG_DEBUG, kRestTag, "ENTERING: KovaArray::GetComaptibleRestVersion");
  // Tokens are kept as they are, blanks included; only a trailing empty
  // token is dropped.
  size_t start = 0;
  while (start < array_versions.size()) {
    size_t comma = array_versions.find(U(','), start);
    if (comma == utility::string_t::npos) comma = array_versions.size();
    if (array_versions.compare(start, comma - start, supported) == 0) {
      Logger::Write(LOG_INFO, kRestTag,
                    "EXITING: KovaArray::GetComaptibleRestVersion. Array version(%ls) is "
                    "compatible with supported version(%ls).",
                    array_versions, supported);
      return supported;
    }
    start = comma + 1;
  }
  Logger::Write(LOG_ERROR, kRestTag,
                "EXITING: KovaArray::GetComaptibleRestVersion. Array version(%ls) is "
                "incompatible with supported version(%ls).",
                array_versions, supported);
  return utility::string_t();
}
