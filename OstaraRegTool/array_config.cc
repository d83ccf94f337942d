#include "OstaraRegTool/array_config.h"

#include <utility>

#include "platform/data_protection.h"

void ScrubText(utility::string_t* text) {
  platform::SecureZero(&(*text)[0], text->size() * sizeof(utility::char_t));
  text->clear();
}

ArrayConfig& ArrayConfig::operator=(ArrayConfig other) noexcept {
  name.swap(other.name);
  apiToken.swap(other.apiToken);
  compatible.swap(other.compatible);
  online.swap(other.online);
  url.swap(other.url);
  authenticated.swap(other.authenticated);
  return *this;
}

ArrayConfig::~ArrayConfig() { ScrubText(&apiToken); }
