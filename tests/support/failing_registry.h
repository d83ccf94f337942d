// A registry that passes every call to another one except those a test
// marks as failing, to drive the tool's failure paths.
#pragma once

#include <memory>
#include <set>
#include <string>

#include "platform/registry.h"

class FailingRegistry : public platform::Registry {
 public:
  explicit FailingRegistry(std::shared_ptr<platform::Registry> inner) : inner_(std::move(inner)) {}

  platform::RegistryStatus OpenKey(platform::RegistryRoot root, const std::string& path,
                                   std::unique_ptr<platform::RegistryKey>* key) override;
  platform::RegistryStatus CreateKey(platform::RegistryRoot root, const std::string& path,
                                     platform::KeyProtection protection,
                                     std::unique_ptr<platform::RegistryKey>* key) override;
  platform::RegistryStatus DeleteTree(platform::RegistryRoot root,
                                      const std::string& path) override;

  // Paths compared exactly as the caller writes them; value names too.
  std::set<std::string> fail_open;
  std::set<std::string> fail_create;
  std::set<std::string> fail_delete;
  std::set<std::string> fail_set_value;
  bool fail_query = false;  // QueryValue answers kFailed

 private:
  std::shared_ptr<platform::Registry> inner_;
};
