// Binary resources carried inside the running program's own image.
//
// Windows: FindResourceW in the program's module with the type and name as
// texts, SizeofResource, LoadResource and LockResource. The bytes belong to
// the loaded image and stay valid for the life of the process; there is
// nothing to release.
// Windows only; tests use fakes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace platform {

struct ResourceBytes {
  const uint8_t* data = nullptr;
  size_t size = 0;
};

class EmbeddedResources {
 public:
  virtual ~EmbeddedResources() = default;
  // False when the resource is missing or cannot be loaded or locked. A
  // found resource may be empty.
  virtual bool Find(const std::string& type, const std::string& name, ResourceBytes* bytes) = 0;
};

EmbeddedResources& SystemEmbeddedResources();

}  // namespace platform
