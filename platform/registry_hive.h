// The persistent registry of Linux: a hive in a SQLite database with the
// semantics of registry.h, shared by the processes of the machine.
//
// - One database connection per Registry object, opened at its first use
//   and kept. When the file cannot be opened, or is not a sound hive (not a
//   database, corrupted, a newer format), OpenKey and CreateKey answer
//   kFailed and the next call tries again; nothing is repaired or replaced.
// - The file is created with mode 0600, its directory with 0700. Keys
//   created with KeyProtection::kAdministratorsOnly keep that protection in
//   the hive; OpenKey, CreateKey (of the existing key) and DeleteTree refuse
//   them with kAccessDenied unless the caller is an administrator.
// - Writes are single transactions (BEGIN IMMEDIATE) in a WAL journal with a
//   busy timeout, so the configuration tool and the provider can use the
//   hive at once; a write that committed survives its process being killed,
//   a write in progress is lost whole.
// - Safe for several threads: calls are serialised per Registry object.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "platform/registry.h"

namespace platform {

struct HiveOptions {
  // The database file; empty means DefaultHivePath().
  std::string path;
  // Who counts as an administrator; empty means IsProcessAdministrator().
  std::function<bool()> is_administrator;
  // Test seam: runs inside every write transaction just before it commits.
  std::function<void()> before_commit;
};

// $KOVA_STATE_DIR/registry.db (see state_dir.h).
std::string DefaultHivePath();

std::shared_ptr<Registry> OpenRegistryHive(HiveOptions options = {});

}  // namespace platform
