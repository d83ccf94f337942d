// The emulated array's content and the REST operations on it, each answered
// as the array would (status and JSON body). Thread-safe: one lock guards
// everything, so every operation is atomic.
//
// Rules of this array, beyond the REST interface:
// - a destroyed object leaves the lists and lookups but keeps its name until
//   it is eradicated (creating another object under that name fails);
// - a volume with host connections cannot be destroyed (400);
// - snapshots are made of volumes only and cannot be connected to hosts;
// - destroying a volume leaves its snapshots alone.
#pragma once

#include <cpprest/json.h>

#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "tools/KovaArraySim/api_result.h"
#include "tools/KovaArraySim/host_store.h"
#include "tools/KovaArraySim/sim_seed.h"
#include "tools/KovaArraySim/volume_store.h"

namespace kova_sim {

class ArrayState {
 public:
  // The seed must have passed ValidateSeed.
  explicit ArrayState(const SimSeed& seed);

  std::string ArrayId() const;
  bool OffersVersion(const std::string& version) const;
  // Throws std::invalid_argument for an empty list or an empty version.
  void SetVersions(std::vector<std::string> versions);

  ApiResult Versions() const;   // {"version": [...]}
  ApiResult ArrayInfo() const;  // {"id", "array_name", "version"}

  ApiResult ListVolumes(bool snapshots) const;
  ApiResult GetVolume(const std::string& name) const;
  // One snapshot per source, named source + "." + suffix; all or none.
  ApiResult CreateSnapshots(const std::vector<std::string>& sources, const std::string& suffix);
  // Copies a volume or snapshot into `name`; an existing volume is
  // overwritten (keeping its serial) only when `overwrite`.
  ApiResult CopyVolume(const std::string& name, const std::string& source, bool overwrite);
  ApiResult CreateVolume(const std::string& name, int64_t size);
  ApiResult DestroyVolume(const std::string& name);
  ApiResult EradicateVolume(const std::string& name);

  ApiResult ListHosts() const;
  ApiResult ListHostConnections(const std::string& host) const;
  ApiResult Connect(const std::string& host, const std::string& volume);
  ApiResult Disconnect(const std::string& host, const std::string& volume);
  // Throws std::invalid_argument for a bad name, a name in use or an
  // identifier that another host has.
  void AddHost(const SimSeed::Host& host);

  // Back to |seed| (which must have passed ValidateSeed) as if just made.
  void Reset(const SimSeed& seed);

  // Everything, for tests: array, versions, volumes, snapshots, the names of
  // destroyed objects, hosts and connections.
  web::json::value Describe() const;

 private:
  void LoadSeed(const SimSeed& seed);
  const StoredVolume* FindLive(const std::string& name) const;
  web::json::value RenderVolumes(bool snapshots) const;
  web::json::value RenderHosts() const;
  web::json::value RenderConnections() const;

  mutable std::mutex mutex_;
  std::string array_id_;
  std::string array_name_;
  std::string array_version_;
  std::vector<std::string> versions_;
  VolumeStore volumes_;
  HostStore hosts_;
};

}  // namespace kova_sim
