#include "tests/support/failing_registry.h"

namespace {

class FailingKey : public platform::RegistryKey {
 public:
  FailingKey(std::unique_ptr<platform::RegistryKey> inner, const FailingRegistry* owner)
      : inner_(std::move(inner)), owner_(owner) {}

  platform::RegistryStatus QueryValue(const std::string& name, uint32_t* type, uint8_t* data,
                                      uint32_t* size) override {
    if (owner_->fail_query) return platform::RegistryStatus::kFailed;
    return inner_->QueryValue(name, type, data, size);
  }
  platform::RegistryStatus SetValue(const std::string& name, uint32_t type, const uint8_t* data,
                                    uint32_t size) override {
    if (owner_->fail_set_value.count(name)) return platform::RegistryStatus::kFailed;
    return inner_->SetValue(name, type, data, size);
  }
  platform::RegistryStatus DeleteValue(const std::string& name) override {
    return inner_->DeleteValue(name);
  }
  platform::RegistryStatus EnumSubKey(uint32_t index, std::string* name) override {
    return inner_->EnumSubKey(index, name);
  }
  platform::RegistryStatus EnumValue(uint32_t index, std::string* name) override {
    return inner_->EnumValue(index, name);
  }
  platform::RegistryStatus CountSubKeys(uint32_t* count) override {
    return inner_->CountSubKeys(count);
  }

 private:
  std::unique_ptr<platform::RegistryKey> inner_;
  const FailingRegistry* owner_;
};

platform::RegistryStatus Wrap(platform::RegistryStatus status,
                              std::unique_ptr<platform::RegistryKey>* key,
                              const FailingRegistry* owner) {
  if (status == platform::RegistryStatus::kOk) {
    key->reset(new FailingKey(std::move(*key), owner));
  }
  return status;
}

}  // namespace

platform::RegistryStatus FailingRegistry::OpenKey(platform::RegistryRoot root,
                                                  const std::string& path,
                                                  std::unique_ptr<platform::RegistryKey>* key) {
  if (fail_open.count(path)) return platform::RegistryStatus::kFailed;
  return Wrap(inner_->OpenKey(root, path, key), key, this);
}

platform::RegistryStatus FailingRegistry::CreateKey(platform::RegistryRoot root,
                                                    const std::string& path,
                                                    platform::KeyProtection protection,
                                                    std::unique_ptr<platform::RegistryKey>* key) {
  if (fail_create.count(path)) return platform::RegistryStatus::kFailed;
  return Wrap(inner_->CreateKey(root, path, protection, key), key, this);
}

platform::RegistryStatus FailingRegistry::DeleteTree(platform::RegistryRoot root,
                                                     const std::string& path) {
  if (fail_delete.count(path)) return platform::RegistryStatus::kAccessDenied;
  return inner_->DeleteTree(root, path);
}
