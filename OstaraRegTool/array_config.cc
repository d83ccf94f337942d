#include "OstaraRegTool/array_config.h"

#include <utility>

#include "platform/data_protection.h"
#include "platform/secure_zero.h"

ArrayConfig& ArrayConfig::operator=(ArrayConfig other) noexcept {
  name.swap(other.name);
  apiToken.swap(other.apiToken);
  compatible.swap(other.compatible);
  online.swap(other.online);
  url.swap(other.url);
  authenticated.swap(other.authenticated);
  return *this;
}

ArrayConfig::~ArrayConfig() { platform::SecureWipe(&apiToken); }
