#include <windows.h>

#include "platform/embedded_resources.h"
#include "platform/wide_text_win.h"

namespace platform {
namespace {

class SystemResources : public EmbeddedResources {
 public:
  bool Find(const std::string& type, const std::string& name, ResourceBytes* bytes) override {
    const HMODULE module = GetModuleHandleW(nullptr);
    const HRSRC found = FindResourceW(module, Wide(name).c_str(), Wide(type).c_str());
    if (!found) return false;
    const DWORD size = SizeofResource(module, found);
    const HGLOBAL loaded = LoadResource(module, found);
    if (!loaded) return false;
    const void* data = LockResource(loaded);
    if (!data) return false;
    bytes->data = static_cast<const uint8_t*>(data);
    bytes->size = size;
    return true;
  }
};

}  // namespace

EmbeddedResources& SystemEmbeddedResources() {
  static SystemResources resources;
  return resources;
}

}  // namespace platform
