#include "platform/registry_hive.h"

#include <mutex>
#include <vector>

#include "platform/hive_store_posix.h"
#include "platform/process_privilege.h"
#include "platform/registry_common.h"
#include "platform/state_dir.h"

namespace platform {
namespace {

class HiveRegistry;

// A handle names its key by row id, so a key deleted after it was opened
// answers kNotFound, as an open registry key does.
class HiveKey : public RegistryKey {
 public:
  HiveKey(std::shared_ptr<HiveRegistry> owner, int64_t id)
      : owner_(std::move(owner)), id_(id) {}

  RegistryStatus QueryValue(const std::string& name, uint32_t* type,
                            uint8_t* data, uint32_t* size) override;
  RegistryStatus SetValue(const std::string& name, uint32_t type,
                          const uint8_t* data, uint32_t size) override;
  RegistryStatus DeleteValue(const std::string& name) override;
  RegistryStatus EnumSubKey(uint32_t index, std::string* name) override;
  RegistryStatus EnumValue(uint32_t index, std::string* name) override;
  RegistryStatus CountSubKeys(uint32_t* count) override;

 private:
  std::shared_ptr<HiveRegistry> owner_;
  const int64_t id_;
};

class HiveRegistry : public Registry,
                     public std::enable_shared_from_this<HiveRegistry> {
 public:
  explicit HiveRegistry(HiveOptions options) : options_(std::move(options)) {
    if (options_.path.empty()) options_.path = DefaultHivePath();
    if (!options_.is_administrator) options_.is_administrator = IsProcessAdministrator;
  }

  RegistryStatus OpenKey(RegistryRoot root, const std::string& path,
                         std::unique_ptr<RegistryKey>* key) override;
  RegistryStatus CreateKey(RegistryRoot root, const std::string& path,
                           KeyProtection protection,
                           std::unique_ptr<RegistryKey>* key) override;
  RegistryStatus DeleteTree(RegistryRoot root, const std::string& path) override;

  // Runs |fn| on the store under the lock, opening the database first when
  // it is not open; kFailed when it cannot be opened.
  template <typename Fn>
  RegistryStatus WithStore(Fn fn) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!store_) {
      const size_t slash = options_.path.find_last_of('/');
      if (slash != std::string::npos && slash > 0 &&
          !EnsureStateDirectory(options_.path.substr(0, slash))) {
        return RegistryStatus::kFailed;
      }
      store_ = HiveStore::Open(options_.path);
    }
    return store_ ? fn(*store_) : RegistryStatus::kFailed;
  }

  // Runs |fn| inside one write transaction, committed only when |fn|
  // answers kOk.
  template <typename Fn>
  RegistryStatus Write(Fn fn) {
    return WithStore([&](HiveStore& store) {
      RegistryStatus status = store.Begin();
      if (status != RegistryStatus::kOk) return status;
      status = fn(store);
      if (status == RegistryStatus::kOk) {
        if (options_.before_commit) options_.before_commit();
        status = store.Commit();
      }
      if (status != RegistryStatus::kOk) store.Rollback();
      return status;
    });
  }

 private:
  bool Refused(KeyProtection protection) const {
    return protection == KeyProtection::kAdministratorsOnly &&
           !options_.is_administrator();
  }

  static RegistryStatus Walk(HiveStore& store, RegistryRoot root,
                             const std::vector<std::string>& parts,
                             HiveKeyRow* row);
  static RegistryStatus WalkCreating(HiveStore& store, RegistryRoot root,
                                     const std::vector<std::string>& parts,
                                     KeyProtection protection, HiveKeyRow* row,
                                     bool* created);

  HiveOptions options_;
  std::mutex mutex_;
  std::unique_ptr<HiveStore> store_;
};

int64_t RootId(RegistryRoot root) {
  return root == RegistryRoot::kLocalMachine ? HiveStore::kMachineRootId
                                             : HiveStore::kClassesRootId;
}

RegistryStatus HiveRegistry::Walk(HiveStore& store, RegistryRoot root,
                                  const std::vector<std::string>& parts,
                                  HiveKeyRow* row) {
  row->id = RootId(root);
  row->protection = KeyProtection::kDefault;
  for (const std::string& part : parts) {
    const RegistryStatus status = store.FindChild(row->id, part, row);
    if (status != RegistryStatus::kOk) return status;
  }
  return RegistryStatus::kOk;
}

RegistryStatus HiveRegistry::WalkCreating(HiveStore& store, RegistryRoot root,
                                          const std::vector<std::string>& parts,
                                          KeyProtection protection,
                                          HiveKeyRow* row, bool* created) {
  row->id = RootId(root);
  row->protection = KeyProtection::kDefault;
  *created = false;
  for (size_t i = 0; i < parts.size(); ++i) {
    RegistryStatus status = store.FindChild(row->id, parts[i], row);
    if (status == RegistryStatus::kNotFound) {
      // Like the in-memory registry, only the key named by the path gets
      // the requested protection; parents made on the way get the default.
      const bool leaf = i + 1 == parts.size();
      row->protection = leaf ? protection : KeyProtection::kDefault;
      status = store.AddChild(row->id, parts[i], row->protection, &row->id);
      *created = true;
    } else {
      *created = false;
    }
    if (status != RegistryStatus::kOk) return status;
  }
  return RegistryStatus::kOk;
}

RegistryStatus HiveRegistry::OpenKey(RegistryRoot root, const std::string& path,
                                     std::unique_ptr<RegistryKey>* key) {
  HiveKeyRow row;
  const RegistryStatus status = WithStore([&](HiveStore& store) {
    return Walk(store, root, SplitRegistryPath(path), &row);
  });
  if (status != RegistryStatus::kOk) return status;
  if (Refused(row.protection)) return RegistryStatus::kAccessDenied;
  key->reset(new HiveKey(shared_from_this(), row.id));
  return RegistryStatus::kOk;
}

RegistryStatus HiveRegistry::CreateKey(RegistryRoot root, const std::string& path,
                                       KeyProtection protection,
                                       std::unique_ptr<RegistryKey>* key) {
  const std::vector<std::string> parts = SplitRegistryPath(path);
  HiveKeyRow row;
  bool created = false;
  // An existing key is opened without taking the write lock.
  RegistryStatus status = WithStore(
      [&](HiveStore& store) { return Walk(store, root, parts, &row); });
  if (status == RegistryStatus::kNotFound) {
    status = Write([&](HiveStore& store) {
      return WalkCreating(store, root, parts, protection, &row, &created);
    });
  }
  if (status != RegistryStatus::kOk) return status;
  if (!created && Refused(row.protection)) return RegistryStatus::kAccessDenied;
  key->reset(new HiveKey(shared_from_this(), row.id));
  return RegistryStatus::kOk;
}

RegistryStatus HiveRegistry::DeleteTree(RegistryRoot root, const std::string& path) {
  const std::vector<std::string> parts = SplitRegistryPath(path);
  if (parts.empty()) return RegistryStatus::kAccessDenied;
  return Write([&](HiveStore& store) {
    HiveKeyRow row;
    RegistryStatus status = Walk(store, root, parts, &row);
    if (status != RegistryStatus::kOk) return status;
    bool protected_below = false;
    status = store.SubtreeProtected(row.id, &protected_below);
    if (status != RegistryStatus::kOk) return status;
    if (protected_below && !options_.is_administrator()) {
      return RegistryStatus::kAccessDenied;
    }
    return store.RemoveSubtree(row.id);
  });
}

RegistryStatus HiveKey::QueryValue(const std::string& name, uint32_t* type,
                                   uint8_t* data, uint32_t* size) {
  return owner_->WithStore([&](HiveStore& store) {
    uint32_t stored_type = kRegNone;
    std::vector<uint8_t> stored;
    const RegistryStatus status = store.GetValue(id_, name, &stored_type, &stored);
    if (status != RegistryStatus::kOk) return status;
    return CopyQueriedValue(stored_type, stored.data(), stored.size(), type,
                            data, size);
  });
}

RegistryStatus HiveKey::SetValue(const std::string& name, uint32_t type,
                                 const uint8_t* data, uint32_t size) {
  if (!data && size != 0) return RegistryStatus::kFailed;
  return owner_->Write([&](HiveStore& store) {
    const RegistryStatus status = store.KeyExists(id_);
    if (status != RegistryStatus::kOk) return status;
    return store.PutValue(id_, name, type, data, size);
  });
}

RegistryStatus HiveKey::DeleteValue(const std::string& name) {
  return owner_->Write(
      [&](HiveStore& store) { return store.RemoveValue(id_, name); });
}

RegistryStatus HiveKey::EnumSubKey(uint32_t index, std::string* name) {
  return owner_->WithStore([&](HiveStore& store) {
    const RegistryStatus status = store.KeyExists(id_);
    return status == RegistryStatus::kOk ? store.ChildAt(id_, index, name) : status;
  });
}

RegistryStatus HiveKey::EnumValue(uint32_t index, std::string* name) {
  return owner_->WithStore([&](HiveStore& store) {
    const RegistryStatus status = store.KeyExists(id_);
    return status == RegistryStatus::kOk ? store.ValueAt(id_, index, name) : status;
  });
}

RegistryStatus HiveKey::CountSubKeys(uint32_t* count) {
  return owner_->WithStore([&](HiveStore& store) {
    const RegistryStatus status = store.KeyExists(id_);
    return status == RegistryStatus::kOk ? store.CountChildren(id_, count) : status;
  });
}

}  // namespace

std::string DefaultHivePath() { return StateDirectory() + "/registry.db"; }

std::shared_ptr<Registry> OpenRegistryHive(HiveOptions options) {
  return std::make_shared<HiveRegistry>(std::move(options));
}

}  // namespace platform
