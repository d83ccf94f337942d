// KovaArray: one configured array as the provider sees it, and the
// operations the provider performs on it. Every request goes through the
// array's own KovaREST::RequestSync.
//
// Lookups return 0 for found and 2 for not found; CreateSnapshot and
// CreateVolumeCopy 0 for success and 1 for failure; unexpected statuses and
// answers of the wrong shape throw KovaStorage::KovaRestException, bad
// arguments std::invalid_argument. Not thread-safe: one caller at a time.
#pragma once

#include <cpprest/details/basic_types.h>

#include <string>
#include <vector>

#include "library/rest/kova_rest.h"
#include "platform/guid.h"

class KovaArray {
 public:
  KovaArray();
  ~KovaArray();  // closes the session
  KovaArray(const KovaArray&) = delete;
  KovaArray& operator=(const KovaArray&) = delete;

  // Negotiates the REST version, opens a session and reads the array ID.
  void Initialize(const utility::string_t& name, const utility::string_t& url,
                  const utility::string_t& api_token,
                  const utility::string_t& supported_version);
  void DestroySession() noexcept;

  std::string GetCachedArrayID() const { return array_id_; }
  const utility::string_t& Name() const { return name_; }
  const utility::string_t& Url() const { return url_; }
  const utility::string_t& RestVersion() const { return rest_version_; }

  bool DoesVolumeBelongToArray(const std::string& serial) const;
  int CheckVolumeWithArray(const std::string& serial, std::string& name, bool snapshot);
  int GetHostName(std::vector<std::string> ids, std::string& host_name);
  int CreateSnapshot(const std::string& volume_name, const GUID& snapshot_set_id,
                     std::string& snapshot_name, std::string& snapshot_serial);
  // One request for a snapshot of each volume, with "source" in the given
  // order. |snapshot_names| gets volume + "." + suffix for each before the
  // request goes out; |snapshot_serials| the serial of each name the answer
  // lists exactly once with a serial, "" for the others. 0 when every name
  // is so listed, 1 otherwise; throws like CreateSnapshot, and
  // std::invalid_argument for an empty list.
  int CreateSnapshots(const std::vector<std::string>& volume_names, const GUID& snapshot_set_id,
                      std::vector<std::string>& snapshot_names,
                      std::vector<std::string>& snapshot_serials);
  int CreateVolumeCopy(const std::string& snapshot_name, const std::string& key,
                       std::string& copy_name, std::string& serial);
  int MapVolume(const std::string& volume_name, std::vector<std::string> ids);
  int UnMapVolume(const std::string& volume_name, std::vector<std::string> ids);
  int DeleteVolume(const std::string& volume_name, bool eradicate);
  int CopyVolume(const std::string& source_name, const std::string& target_name);
  int FindSnapshotIdForVolumeCopy(const std::string& copy_name, std::string& snapshot_serial,
                                  std::string& snapshot_name);
  int GetArrayID(std::string& array_id);
  // True when the array answers with the volume (or snapshot), false when
  // it answers 400 or 404; any other answer throws.
  bool DoesVolumeNameExist(const std::string& name);
  int GetVolumeSerialID(const std::string& volume_name, std::string& serial);

  // "VSS-" + the 32 upper-case hex digits of the GUID; empty if it cannot
  // be formatted.
  static utility::string_t MakeSnapshotSuffix(const GUID& snapshot_set_id);
  // The name CreateSnapshot gives the snapshot of |volume_name|: the volume
  // name, ".", the suffix; empty if the GUID cannot be formatted.
  static std::string MakeSnapshotName(const std::string& volume_name,
                                      const GUID& snapshot_set_id);
  static std::string MakeVolumeCopyName(const std::string& text);
  // |supported| when the comma-separated |array_versions| offers it, else "".
  static utility::string_t GetComaptibleRestVersion(const utility::string_t& supported,
                                                    const utility::string_t& array_versions);

 private:
  utility::string_t Path(const std::string& resource) const;
  // GET of a list; throws from a status other than 200 (after logging
  // |failure_message|) and from an answer that is not a JSON array.
  web::json::value GetList(const std::string& resource, const char* failure_message);
  // Connects or disconnects |volume_name| and this host. A refused request
  // counts as done when the connection already is as asked for.
  int ChangeHostConnection(const std::string& volume_name, std::vector<std::string> ids,
                           bool connect);
  // Whether the array lists |volume_name| among |host|'s connections;
  // throws as the list operations do.
  bool IsConnectedToHost(const std::string& host, const std::string& volume_name);

  utility::string_t url_;
  utility::string_t name_;
  std::string array_id_;
  utility::string_t rest_version_;
  KovaREST rest_;
};
