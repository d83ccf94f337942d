#include "platform/type_library_registry.h"

#include <cstdio>

#include "platform/program_identity.h"
#include "platform/registry_error.h"

namespace platform {
namespace {

constexpr char kAutomationMarshaler[] = "{00020424-0000-0000-C000-000000000046}";

std::string VersionText(const TypeLibraryDescription& library) {
  char text[16];
  std::snprintf(text, sizeof text, "%x.%x", library.major, library.minor);
  return text;
}

std::string LibraryKey(const TypeLibraryDescription& library) {
  return "TypeLib\\" + GuidToString(library.library_id);
}

// Sets the default value of HKCR\|path| and, when |name| is not empty, one
// more string value.
RegistryStatus WriteKey(const std::string& path, const std::string& text,
                        const std::string& name = std::string(),
                        const std::string& value = std::string()) {
  std::unique_ptr<RegistryKey> key;
  RegistryStatus status = MachineRegistry().CreateKey(RegistryRoot::kClassesRoot, path,
                                                      KeyProtection::kDefault, &key);
  if (status == RegistryStatus::kOk) status = WriteStringValue(*key, "", text);
  if (status == RegistryStatus::kOk && !name.empty()) status = WriteStringValue(*key, name, value);
  return status;
}

// The program's folder without its trailing separator, as Windows writes it.
std::string HelpFolder(const std::string& program_path) {
  std::string folder = FolderOfPath(program_path);
  if (folder.size() > 1) folder.pop_back();
  return folder;
}

RegistryStatus WriteLibrary(const TypeLibraryDescription& library, const std::string& path) {
  const std::string version = LibraryKey(library) + "\\" + VersionText(library);
  RegistryStatus status = WriteKey(version, library.help_string);
  if (status == RegistryStatus::kOk) status = WriteKey(version + "\\FLAGS", "0");
  if (status == RegistryStatus::kOk) status = WriteKey(version + "\\0\\win64", path);
  if (status == RegistryStatus::kOk) status = WriteKey(version + "\\HELPDIR", HelpFolder(path));
  return status;
}

RegistryStatus WriteInterface(const TypeLibraryDescription& library,
                              const TypeLibraryInterface& entry) {
  const std::string key = "Interface\\" + GuidToString(entry.iid);
  RegistryStatus status = WriteKey(key, entry.name);
  if (status == RegistryStatus::kOk) status = WriteKey(key + "\\ProxyStubClsid", kAutomationMarshaler);
  if (status == RegistryStatus::kOk)
    status = WriteKey(key + "\\ProxyStubClsid32", kAutomationMarshaler);
  if (status == RegistryStatus::kOk) {
    status = WriteKey(key + "\\TypeLib", GuidToString(library.library_id), "Version",
                      VersionText(library));
  }
  return status;
}

RegistryStatus DeleteIfPresent(const std::string& path) {
  const RegistryStatus status = MachineRegistry().DeleteTree(RegistryRoot::kClassesRoot, path);
  return status == RegistryStatus::kNotFound ? RegistryStatus::kOk : status;
}

HRESULT FromStatus(RegistryStatus status) {
  return HresultFromWin32(Win32ErrorOfRegistryStatus(status));
}

class KeyWritingTypeLibraries : public TypeLibraries {
 public:
  HRESULT Register(const TypeLibraryDescription& library, const std::string& program_path) override {
    RegistryStatus status = WriteLibrary(library, program_path);
    for (const TypeLibraryInterface& entry : library.interfaces) {
      if (status == RegistryStatus::kOk) status = WriteInterface(library, entry);
    }
    return FromStatus(status);
  }

  HRESULT Unregister(const TypeLibraryDescription& library) override {
    RegistryStatus status = RegistryStatus::kOk;
    for (const TypeLibraryInterface& entry : library.interfaces) {
      if (status == RegistryStatus::kOk) status = DeleteIfPresent("Interface\\" + GuidToString(entry.iid));
    }
    if (status == RegistryStatus::kOk)
      status = DeleteIfPresent(LibraryKey(library) + "\\" + VersionText(library));
    if (status == RegistryStatus::kOk) status = DeleteLibraryKeyIfEmpty(library);
    return FromStatus(status);
  }

 private:
  static RegistryStatus DeleteLibraryKeyIfEmpty(const TypeLibraryDescription& library) {
    std::unique_ptr<RegistryKey> key;
    if (MachineRegistry().OpenKey(RegistryRoot::kClassesRoot, LibraryKey(library), &key) !=
        RegistryStatus::kOk) {
      return RegistryStatus::kOk;
    }
    uint32_t count = 0;
    if (key->CountSubKeys(&count) != RegistryStatus::kOk || count != 0) return RegistryStatus::kOk;
    key.reset();
    return DeleteIfPresent(LibraryKey(library));
  }
};

}  // namespace

TypeLibraries& RegistryTypeLibraries() {
  static TypeLibraries* const libraries = new KeyWritingTypeLibraries;
  return *libraries;
}

}  // namespace platform
