#include "platform/memory_registry.h"

#include <algorithm>
#include <map>
#include <mutex>

#include "platform/registry_common.h"

namespace platform {
namespace {

std::string Fold(const std::string& name) { return FoldRegistryName(name); }

std::vector<std::string> SplitPath(const std::string& path) {
  return SplitRegistryPath(path);
}

struct Value {
  std::string name;
  uint32_t type = kRegNone;
  std::vector<uint8_t> data;
};

struct Node {
  std::string name;
  KeyProtection protection = KeyProtection::kDefault;
  std::map<std::string, Node> children;  // by folded name: registry order
  std::map<std::string, Value> values;
};

class MemoryRegistry;

class MemoryKey : public RegistryKey {
 public:
  MemoryKey(std::shared_ptr<MemoryRegistry> owner, RegistryRoot root,
            std::vector<std::string> path)
      : owner_(std::move(owner)), root_(root), path_(std::move(path)) {}

  RegistryStatus QueryValue(const std::string& name, uint32_t* type,
                            uint8_t* data, uint32_t* size) override;
  RegistryStatus SetValue(const std::string& name, uint32_t type,
                          const uint8_t* data, uint32_t size) override;
  RegistryStatus DeleteValue(const std::string& name) override;
  RegistryStatus EnumSubKey(uint32_t index, std::string* name) override;
  RegistryStatus EnumValue(uint32_t index, std::string* name) override;
  RegistryStatus CountSubKeys(uint32_t* count) override;

 private:
  std::shared_ptr<MemoryRegistry> owner_;
  RegistryRoot root_;
  std::vector<std::string> path_;
};

class MemoryRegistry : public Registry,
                       public std::enable_shared_from_this<MemoryRegistry> {
 public:
  explicit MemoryRegistry(std::function<bool()> is_administrator)
      : is_administrator_(std::move(is_administrator)) {}

  RegistryStatus OpenKey(RegistryRoot root, const std::string& path,
                         std::unique_ptr<RegistryKey>* key) override {
    std::lock_guard<std::mutex> lock(mutex_);
    const Node* node = Find(root, SplitPath(path));
    if (!node) return RegistryStatus::kNotFound;
    if (Refused(*node)) return RegistryStatus::kAccessDenied;
    key->reset(new MemoryKey(shared_from_this(), root, SplitPath(path)));
    return RegistryStatus::kOk;
  }

  RegistryStatus CreateKey(RegistryRoot root, const std::string& path,
                           KeyProtection protection,
                           std::unique_ptr<RegistryKey>* key) override {
    std::lock_guard<std::mutex> lock(mutex_);
    Node* node = &Root(root);
    bool created = false;
    for (const std::string& part : SplitPath(path)) {
      Node& child = node->children[Fold(part)];
      created = child.name.empty();
      if (created) child.name = part;
      node = &child;
    }
    if (created) node->protection = protection;
    if (!created && Refused(*node)) return RegistryStatus::kAccessDenied;
    key->reset(new MemoryKey(shared_from_this(), root, SplitPath(path)));
    return RegistryStatus::kOk;
  }

  RegistryStatus DeleteTree(RegistryRoot root, const std::string& path) override {
    std::lock_guard<std::mutex> lock(mutex_);
    std::vector<std::string> parts = SplitPath(path);
    if (parts.empty()) return RegistryStatus::kAccessDenied;
    const std::string leaf = parts.back();
    parts.pop_back();
    Node* parent = Find(root, parts);
    if (!parent) return RegistryStatus::kNotFound;
    auto it = parent->children.find(Fold(leaf));
    if (it == parent->children.end()) return RegistryStatus::kNotFound;
    if (RefusedBelow(it->second)) return RegistryStatus::kAccessDenied;
    parent->children.erase(it);
    return RegistryStatus::kOk;
  }

  // Runs |fn| on the node at |path| under the lock; kNotFound when the key
  // was deleted since it was opened, as the registry reports it.
  template <typename Fn>
  RegistryStatus WithNode(RegistryRoot root, const std::vector<std::string>& path, Fn fn) {
    std::lock_guard<std::mutex> lock(mutex_);
    Node* node = Find(root, path);
    if (!node) return RegistryStatus::kNotFound;
    return fn(*node);
  }

 private:
  bool Refused(const Node& node) const {
    return node.protection == KeyProtection::kAdministratorsOnly &&
           is_administrator_ && !is_administrator_();
  }

  bool RefusedBelow(const Node& node) const {
    if (Refused(node)) return true;
    for (const auto& child : node.children) {
      if (RefusedBelow(child.second)) return true;
    }
    return false;
  }

  Node& Root(RegistryRoot root) {
    return root == RegistryRoot::kLocalMachine ? machine_ : classes_;
  }

  Node* Find(RegistryRoot root, const std::vector<std::string>& path) {
    Node* node = &Root(root);
    for (const std::string& part : path) {
      auto it = node->children.find(Fold(part));
      if (it == node->children.end()) return nullptr;
      node = &it->second;
    }
    return node;
  }

  const std::function<bool()> is_administrator_;
  std::mutex mutex_;
  Node machine_;
  Node classes_;
};

template <typename Map>
RegistryStatus NameAt(const Map& map, uint32_t index, std::string* name) {
  if (index >= map.size()) return RegistryStatus::kNoMoreItems;
  auto it = map.begin();
  std::advance(it, index);
  *name = it->second.name;
  return RegistryStatus::kOk;
}

RegistryStatus MemoryKey::QueryValue(const std::string& name, uint32_t* type,
                                     uint8_t* data, uint32_t* size) {
  return owner_->WithNode(root_, path_, [&](Node& node) {
    auto it = node.values.find(Fold(name));
    if (it == node.values.end()) return RegistryStatus::kNotFound;
    const Value& value = it->second;
    return CopyQueriedValue(value.type, value.data.data(), value.data.size(),
                            type, data, size);
  });
}

RegistryStatus MemoryKey::SetValue(const std::string& name, uint32_t type,
                                   const uint8_t* data, uint32_t size) {
  return owner_->WithNode(root_, path_, [&](Node& node) {
    Value& value = node.values[Fold(name)];
    if (value.name.empty()) value.name = name;
    value.type = type;
    value.data.assign(data, data + size);
    return RegistryStatus::kOk;
  });
}

RegistryStatus MemoryKey::DeleteValue(const std::string& name) {
  return owner_->WithNode(root_, path_, [&](Node& node) {
    return node.values.erase(Fold(name)) ? RegistryStatus::kOk : RegistryStatus::kNotFound;
  });
}

RegistryStatus MemoryKey::EnumSubKey(uint32_t index, std::string* name) {
  return owner_->WithNode(root_, path_,
                          [&](Node& node) { return NameAt(node.children, index, name); });
}

RegistryStatus MemoryKey::EnumValue(uint32_t index, std::string* name) {
  return owner_->WithNode(root_, path_,
                          [&](Node& node) { return NameAt(node.values, index, name); });
}

RegistryStatus MemoryKey::CountSubKeys(uint32_t* count) {
  return owner_->WithNode(root_, path_, [&](Node& node) {
    *count = static_cast<uint32_t>(node.children.size());
    return RegistryStatus::kOk;
  });
}

}  // namespace

std::shared_ptr<Registry> CreateMemoryRegistry() {
  return std::make_shared<MemoryRegistry>(nullptr);
}

std::shared_ptr<Registry> CreateMemoryRegistry(
    std::function<bool()> is_administrator) {
  return std::make_shared<MemoryRegistry>(std::move(is_administrator));
}

}  // namespace platform
