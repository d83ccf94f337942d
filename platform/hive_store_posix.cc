#include "platform/hive_store_posix.h"

#include <fcntl.h>
#include <sqlite3.h>
#include <unistd.h>

#include <cstdlib>

#include "platform/registry_common.h"

namespace platform {
namespace {

// Format of the database; a file written by a newer format is refused.
constexpr int kSchemaVersion = 1;
// How long a writer waits for another process's write transaction.
constexpr int kBusyTimeoutMs = 10000;

constexpr char kSchema[] =
    "BEGIN IMMEDIATE;"
    "CREATE TABLE IF NOT EXISTS reg_keys("
    "  id INTEGER PRIMARY KEY AUTOINCREMENT,"
    "  parent INTEGER,"
    "  name TEXT NOT NULL,"
    "  folded TEXT NOT NULL,"
    "  protection INTEGER NOT NULL DEFAULT 0,"
    "  UNIQUE(parent, folded));"
    "CREATE TABLE IF NOT EXISTS reg_values("
    "  key INTEGER NOT NULL,"
    "  name TEXT NOT NULL,"
    "  folded TEXT NOT NULL,"
    "  type INTEGER NOT NULL,"
    "  data BLOB NOT NULL,"
    "  PRIMARY KEY(key, folded)) WITHOUT ROWID;"
    "INSERT OR IGNORE INTO reg_keys(id, parent, name, folded) VALUES"
    "  (1, NULL, 'HKEY_LOCAL_MACHINE', 'HKEY_LOCAL_MACHINE'),"
    "  (2, NULL, 'HKEY_CLASSES_ROOT', 'HKEY_CLASSES_ROOT');"
    "PRAGMA user_version = 1;"
    "COMMIT;";

#define KOVA_SUBTREE                                      \
  "WITH RECURSIVE sub(id) AS (SELECT ?1 UNION ALL "       \
  "SELECT k.id FROM reg_keys k JOIN sub ON k.parent = sub.id) "

// Indexed by HiveStore::Statement.
const char* const kStatementSql[] = {
    "SELECT 1 FROM reg_keys WHERE id = ?1",
    "SELECT id, protection FROM reg_keys WHERE parent = ?1 AND folded = ?2",
    "INSERT INTO reg_keys(parent, name, folded, protection) "
    "VALUES(?1, ?2, ?3, ?4)",
    "SELECT count(*) FROM reg_keys WHERE parent = ?1",
    "SELECT name FROM reg_keys WHERE parent = ?1 "
    "ORDER BY folded LIMIT 1 OFFSET ?2",
    "SELECT name FROM reg_values WHERE key = ?1 "
    "ORDER BY folded LIMIT 1 OFFSET ?2",
    "SELECT type, data FROM reg_values WHERE key = ?1 AND folded = ?2",
    "INSERT INTO reg_values(key, name, folded, type, data) "
    "VALUES(?1, ?2, ?3, ?4, ?5) ON CONFLICT(key, folded) "
    "DO UPDATE SET type = excluded.type, data = excluded.data",
    "DELETE FROM reg_values WHERE key = ?1 AND folded = ?2",
    KOVA_SUBTREE
    "SELECT EXISTS(SELECT 1 FROM reg_keys WHERE id IN sub AND protection <> 0)",
    KOVA_SUBTREE "DELETE FROM reg_values WHERE key IN sub",
    KOVA_SUBTREE "DELETE FROM reg_keys WHERE id IN sub",
    "BEGIN IMMEDIATE",
    "COMMIT",
    "ROLLBACK",
};
#undef KOVA_SUBTREE

// One use of a prepared statement: binds, steps, and resets it on exit so
// that it holds no lock and no copy of bound data afterwards.
class Use {
 public:
  explicit Use(sqlite3_stmt* statement) : statement_(statement) {}
  ~Use() {
    sqlite3_reset(statement_);
    sqlite3_clear_bindings(statement_);
  }
  Use(const Use&) = delete;
  Use& operator=(const Use&) = delete;

  Use& Int(int index, int64_t value) {
    bound_ &= sqlite3_bind_int64(statement_, index, value) == SQLITE_OK;
    return *this;
  }
  Use& Text(int index, const std::string& text) {
    bound_ &= sqlite3_bind_text(statement_, index, text.data(),
                                static_cast<int>(text.size()),
                                SQLITE_TRANSIENT) == SQLITE_OK;
    return *this;
  }
  // An empty blob is bound as a zero-length blob, never as NULL.
  Use& Blob(int index, const uint8_t* data, uint32_t size) {
    const int rc = size == 0 ? sqlite3_bind_zeroblob(statement_, index, 0)
                             : sqlite3_bind_blob64(statement_, index, data, size,
                                                   SQLITE_TRANSIENT);
    bound_ &= rc == SQLITE_OK;
    return *this;
  }
  int Step() { return bound_ ? sqlite3_step(statement_) : SQLITE_MISUSE; }
  sqlite3_stmt* get() const { return statement_; }

 private:
  sqlite3_stmt* statement_;
  bool bound_ = true;
};

RegistryStatus Done(int rc) {
  return rc == SQLITE_DONE ? RegistryStatus::kOk : RegistryStatus::kFailed;
}

// Runs |sql| and collects the first column of every row as text.
bool ExecCollect(sqlite3* db, const char* sql, std::vector<std::string>* rows) {
  auto collect = [](void* out, int columns, char** values, char**) {
    auto* list = static_cast<std::vector<std::string>*>(out);
    if (columns > 0) list->push_back(values[0] ? values[0] : "");
    return 0;
  };
  return sqlite3_exec(db, sql, collect, rows, nullptr) == SQLITE_OK;
}

// The file is created here rather than by SQLite so that it is never, even
// for a moment, readable by others.
bool CreateFilePrivately(const std::string& path) {
  const int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
  if (fd < 0) return false;
  close(fd);
  return true;
}

// Journal, durability and schema; false when the file is no sound hive.
bool Configure(sqlite3* db) {
  std::vector<std::string> rows;
  if (sqlite3_busy_timeout(db, kBusyTimeoutMs) != SQLITE_OK ||
      !ExecCollect(db, "PRAGMA journal_mode=WAL", &rows) || rows.size() != 1 ||
      rows[0] != "wal" ||
      sqlite3_exec(db, "PRAGMA synchronous=FULL", nullptr, nullptr, nullptr) != SQLITE_OK) {
    return false;
  }
  rows.clear();
  if (!ExecCollect(db, "PRAGMA user_version", &rows) || rows.size() != 1) return false;
  const int version = std::atoi(rows[0].c_str());
  if (version > kSchemaVersion) return false;
  if (version < kSchemaVersion &&
      sqlite3_exec(db, kSchema, nullptr, nullptr, nullptr) != SQLITE_OK) {
    return false;
  }
  rows.clear();
  return ExecCollect(db, "PRAGMA quick_check", &rows) && rows.size() == 1 &&
         rows[0] == "ok";
}

}  // namespace

std::unique_ptr<HiveStore> HiveStore::Open(const std::string& path) {
  if (!CreateFilePrivately(path)) return nullptr;
  sqlite3* db = nullptr;
  if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
    sqlite3_close_v2(db);
    return nullptr;
  }
  std::unique_ptr<HiveStore> store(new HiveStore(db));
  if (!Configure(db) || !store->Prepare()) return nullptr;
  return store;
}

HiveStore::~HiveStore() {
  for (sqlite3_stmt* statement : statements_) sqlite3_finalize(statement);
  sqlite3_close_v2(db_);
}

bool HiveStore::Prepare() {
  static_assert(sizeof(kStatementSql) / sizeof(kStatementSql[0]) == kStatementCount,
                "one SQL text per statement");
  for (int i = 0; i < kStatementCount; ++i) {
    if (sqlite3_prepare_v3(db_, kStatementSql[i], -1, SQLITE_PREPARE_PERSISTENT,
                           &statements_[i], nullptr) != SQLITE_OK) {
      return false;
    }
  }
  return true;
}

RegistryStatus HiveStore::RunToEnd(Statement which) {
  return Done(Use(statements_[which]).Step());
}

RegistryStatus HiveStore::Begin() { return RunToEnd(kBegin); }

RegistryStatus HiveStore::Commit() { return RunToEnd(kCommit); }

void HiveStore::Rollback() {
  if (!sqlite3_get_autocommit(db_)) RunToEnd(kRollback);
}

RegistryStatus HiveStore::KeyExists(int64_t id) {
  Use use(statements_[kKeyExists]);
  const int rc = use.Int(1, id).Step();
  if (rc == SQLITE_ROW) return RegistryStatus::kOk;
  return rc == SQLITE_DONE ? RegistryStatus::kNotFound : RegistryStatus::kFailed;
}

RegistryStatus HiveStore::FindChild(int64_t parent, const std::string& name,
                                    HiveKeyRow* row) {
  Use use(statements_[kFindChild]);
  const int rc = use.Int(1, parent).Text(2, FoldRegistryName(name)).Step();
  if (rc == SQLITE_DONE) return RegistryStatus::kNotFound;
  if (rc != SQLITE_ROW) return RegistryStatus::kFailed;
  row->id = sqlite3_column_int64(use.get(), 0);
  row->protection = sqlite3_column_int(use.get(), 1) != 0
                        ? KeyProtection::kAdministratorsOnly
                        : KeyProtection::kDefault;
  return RegistryStatus::kOk;
}

RegistryStatus HiveStore::AddChild(int64_t parent, const std::string& name,
                                   KeyProtection protection, int64_t* id) {
  Use use(statements_[kAddChild]);
  const int stored = protection == KeyProtection::kAdministratorsOnly ? 1 : 0;
  const int rc = use.Int(1, parent).Text(2, name).Text(3, FoldRegistryName(name))
                     .Int(4, stored).Step();
  if (rc != SQLITE_DONE) return RegistryStatus::kFailed;
  *id = sqlite3_last_insert_rowid(db_);
  return RegistryStatus::kOk;
}

RegistryStatus HiveStore::CountChildren(int64_t parent, uint32_t* count) {
  Use use(statements_[kCountChildren]);
  if (use.Int(1, parent).Step() != SQLITE_ROW) return RegistryStatus::kFailed;
  *count = static_cast<uint32_t>(sqlite3_column_int64(use.get(), 0));
  return RegistryStatus::kOk;
}

RegistryStatus HiveStore::NameAt(Statement which, int64_t parent,
                                 uint32_t index, std::string* name) {
  Use use(statements_[which]);
  const int rc = use.Int(1, parent).Int(2, index).Step();
  if (rc == SQLITE_DONE) return RegistryStatus::kNoMoreItems;
  if (rc != SQLITE_ROW) return RegistryStatus::kFailed;
  const auto* text = sqlite3_column_text(use.get(), 0);
  name->assign(reinterpret_cast<const char*>(text),
               static_cast<size_t>(sqlite3_column_bytes(use.get(), 0)));
  return RegistryStatus::kOk;
}

RegistryStatus HiveStore::ChildAt(int64_t parent, uint32_t index, std::string* name) {
  return NameAt(kChildAt, parent, index, name);
}

RegistryStatus HiveStore::ValueAt(int64_t key, uint32_t index, std::string* name) {
  return NameAt(kValueAt, key, index, name);
}

RegistryStatus HiveStore::GetValue(int64_t key, const std::string& name,
                                   uint32_t* type, std::vector<uint8_t>* data) {
  Use use(statements_[kGetValue]);
  const int rc = use.Int(1, key).Text(2, FoldRegistryName(name)).Step();
  if (rc == SQLITE_DONE) return RegistryStatus::kNotFound;
  if (rc != SQLITE_ROW) return RegistryStatus::kFailed;
  *type = static_cast<uint32_t>(sqlite3_column_int64(use.get(), 0));
  const auto* bytes = static_cast<const uint8_t*>(sqlite3_column_blob(use.get(), 1));
  const int size = sqlite3_column_bytes(use.get(), 1);
  data->assign(bytes, bytes + (bytes ? size : 0));
  return RegistryStatus::kOk;
}

RegistryStatus HiveStore::PutValue(int64_t key, const std::string& name,
                                   uint32_t type, const uint8_t* data, uint32_t size) {
  Use use(statements_[kPutValue]);
  return Done(use.Int(1, key).Text(2, name).Text(3, FoldRegistryName(name))
                  .Int(4, type).Blob(5, data, size).Step());
}

RegistryStatus HiveStore::RemoveValue(int64_t key, const std::string& name) {
  Use use(statements_[kRemoveValue]);
  if (use.Int(1, key).Text(2, FoldRegistryName(name)).Step() != SQLITE_DONE) {
    return RegistryStatus::kFailed;
  }
  return sqlite3_changes(db_) > 0 ? RegistryStatus::kOk : RegistryStatus::kNotFound;
}

RegistryStatus HiveStore::SubtreeProtected(int64_t id, bool* any) {
  Use use(statements_[kSubtreeProtected]);
  if (use.Int(1, id).Step() != SQLITE_ROW) return RegistryStatus::kFailed;
  *any = sqlite3_column_int(use.get(), 0) != 0;
  return RegistryStatus::kOk;
}

RegistryStatus HiveStore::RemoveSubtree(int64_t id) {
  // Values first: the key rows are what the first statement walks.
  {
    Use use(statements_[kRemoveSubtreeValues]);
    if (use.Int(1, id).Step() != SQLITE_DONE) return RegistryStatus::kFailed;
  }
  Use use(statements_[kRemoveSubtreeKeys]);
  return Done(use.Int(1, id).Step());
}

}  // namespace platform
