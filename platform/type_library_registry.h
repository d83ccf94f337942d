// Type library registration as keys written into the machine registry from
// the library's description, the way RegisterTypeLib writes them:
// TypeLib\{libid}\{major}.{minor} (default: the help string; "FLAGS" "0";
// "HELPDIR" the program's folder; subkey 0\win64 with the program's path),
// and for each interface Interface\{iid} (default: its name;
// ProxyStubClsid and ProxyStubClsid32 the automation marshaler
// {00020424-0000-0000-C000-000000000046}; TypeLib with the library's
// identifier and "Version"). POSIX registers libraries so; tests use it on
// every platform.
#pragma once

#include "platform/type_library.h"

namespace platform {

TypeLibraries& RegistryTypeLibraries();

}  // namespace platform
