// The registry hive's database: one SQLite connection, its prepared
// statements, and the row operations that registry_hive_posix.cc composes
// into registry calls. Key and value names are matched through their
// folded form (registry_common.h) and kept as first written.
//
// Not thread-safe: the owner serialises every call. Results are kOk,
// kNotFound (no such row), kNoMoreItems (index past the end) or kFailed
// (SQLite reported an error, for example a corrupted page).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/registry.h"

struct sqlite3;
struct sqlite3_stmt;

namespace platform {

struct HiveKeyRow {
  int64_t id = 0;
  KeyProtection protection = KeyProtection::kDefault;
};

class HiveStore {
 public:
  static constexpr int64_t kMachineRootId = 1;
  static constexpr int64_t kClassesRootId = 2;

  // Opens the database at |path|, creating the file (mode 0600) and its
  // schema when missing, and checks its integrity. Null when the file cannot
  // be opened or is not a sound hive.
  static std::unique_ptr<HiveStore> Open(const std::string& path);
  ~HiveStore();
  HiveStore(const HiveStore&) = delete;
  HiveStore& operator=(const HiveStore&) = delete;

  // A write transaction (BEGIN IMMEDIATE: waits up to the busy timeout for
  // another writer). Every write below must run inside one.
  RegistryStatus Begin();
  RegistryStatus Commit();
  void Rollback();

  RegistryStatus KeyExists(int64_t id);
  RegistryStatus FindChild(int64_t parent, const std::string& name,
                           HiveKeyRow* row);
  RegistryStatus AddChild(int64_t parent, const std::string& name,
                          KeyProtection protection, int64_t* id);
  RegistryStatus CountChildren(int64_t parent, uint32_t* count);
  RegistryStatus ChildAt(int64_t parent, uint32_t index, std::string* name);
  RegistryStatus ValueAt(int64_t key, uint32_t index, std::string* name);
  RegistryStatus GetValue(int64_t key, const std::string& name,
                          uint32_t* type, std::vector<uint8_t>* data);
  RegistryStatus PutValue(int64_t key, const std::string& name, uint32_t type,
                          const uint8_t* data, uint32_t size);
  RegistryStatus RemoveValue(int64_t key, const std::string& name);
  // Whether |id| or any key below it is kAdministratorsOnly.
  RegistryStatus SubtreeProtected(int64_t id, bool* any);
  RegistryStatus RemoveSubtree(int64_t id);

 private:
  enum Statement {
    kKeyExists,
    kFindChild,
    kAddChild,
    kCountChildren,
    kChildAt,
    kValueAt,
    kGetValue,
    kPutValue,
    kRemoveValue,
    kSubtreeProtected,
    kRemoveSubtreeValues,
    kRemoveSubtreeKeys,
    kBegin,
    kCommit,
    kRollback,
    kStatementCount
  };

  explicit HiveStore(sqlite3* db) : db_(db) {}
  bool Prepare();
  RegistryStatus RunToEnd(Statement which);
  RegistryStatus NameAt(Statement which, int64_t parent, uint32_t index,
                        std::string* name);

  sqlite3* db_;
  sqlite3_stmt* statements_[kStatementCount] = {};
};

}  // namespace platform
