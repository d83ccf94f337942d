// Registration of a type library that a program carries as its resource
// TYPELIB 1, so that COM finds its interfaces.
//
// Windows: LoadTypeLibEx on the program and RegisterTypeLib (the keys under
// HKCR\TypeLib and HKCR\Interface come from the library itself);
// UnRegisterTypeLib for the description's identifier and version, 64-bit.
// POSIX: the same keys written from the description (type_library_registry.h).
// Unregistering a library that is not registered succeeds.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/guid.h"
#include "platform/hresult.h"

namespace platform {

struct TypeLibraryInterface {
  GUID iid;
  std::string name;
};

struct TypeLibraryDescription {
  GUID library_id;
  uint16_t major = 1;
  uint16_t minor = 0;
  std::string help_string;
  std::vector<TypeLibraryInterface> interfaces;  // dual ones
};

class TypeLibraries {
 public:
  virtual ~TypeLibraries() = default;
  virtual HRESULT Register(const TypeLibraryDescription& library,
                           const std::string& program_path) = 0;
  virtual HRESULT Unregister(const TypeLibraryDescription& library) = 0;
};

TypeLibraries& SystemTypeLibraries();

}  // namespace platform
