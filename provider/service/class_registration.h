// The COM class registration of KovaVssProvider (the registration script of
// the class): the keys under HKEY_CLASSES_ROOT that are written on
// registration and removed again, and the type library that goes with it.
#pragma once

#include <string>
#include <vector>

#include "platform/hresult.h"
#include "platform/registry.h"
#include "platform/type_library.h"

namespace kova_service {

struct ClassKeyValue {
  std::string name;  // "" for the default value
  std::string text;  // REG_SZ
};

struct ClassKey {
  std::string path;         // below HKEY_CLASSES_ROOT
  bool replaced_whole;      // deleted with everything below it before writing
  std::vector<ClassKeyValue> values;
};

// The keys in the order they are written, for the program at |program_path|:
// CLSID\{clsid} (replaced whole) with its name and "AppID", its subkeys
// "Programmable" (replaced whole), "LocalServer32" (the quoted path and
// "ServerExecutable" the path), "TypeLib" and "Version".
std::vector<ClassKey> KovaProviderClassKeys(const std::string& program_path);

// The class's key under HKEY_CLASSES_ROOT; removal deletes it whole.
std::string KovaProviderClassKeyPath();

// Writes the keys; the first registry failure ends it, as HRESULT.
HRESULT RegisterClassKeys(platform::Registry& registry, const std::vector<ClassKey>& keys);
// Removes the class key with everything below it; S_OK when it is absent.
HRESULT UnregisterClassKeys(platform::Registry& registry);

// The type library "KovaProviderLib" as registration needs it.
platform::TypeLibraryDescription KovaProviderLibrary();

}  // namespace kova_service
