#include <windows.h>

#include <oleauto.h>

#include "platform/program_identity.h"
#include "platform/type_library.h"
#include "platform/wide_text_win.h"

namespace platform {
namespace {

bool IsRegistered(const TypeLibraryDescription& library) {
  wchar_t path[128];
  wsprintfW(path, L"TypeLib\\%ls\\%x.%x", Wide(GuidToString(library.library_id)).c_str(),
            library.major, library.minor);
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_CLASSES_ROOT, path, 0, KEY_READ | KEY_WOW64_64KEY, &key) != ERROR_SUCCESS)
    return false;
  RegCloseKey(key);
  return true;
}

class OleTypeLibraries : public TypeLibraries {
 public:
  HRESULT Register(const TypeLibraryDescription& /*library*/,
                   const std::string& program_path) override {
    // The library is the program's resource TYPELIB 1.
    std::wstring path = Wide(program_path);
    std::string folder = FolderOfPath(program_path);
    if (folder.size() > 1) folder.pop_back();
    std::wstring help = Wide(folder);
    ITypeLib* type_library = nullptr;
    HRESULT result = LoadTypeLibEx(path.c_str(), REGKIND_NONE, &type_library);
    if (FAILED(result)) return result;
    result = RegisterTypeLib(type_library, &path[0], help.empty() ? nullptr : &help[0]);
    type_library->Release();
    return result;
  }

  HRESULT Unregister(const TypeLibraryDescription& library) override {
    if (!IsRegistered(library)) return S_OK;
    return UnRegisterTypeLib(library.library_id, library.major, library.minor, LANG_NEUTRAL,
                             SYS_WIN64);
  }
};

}  // namespace

TypeLibraries& SystemTypeLibraries() {
  static TypeLibraries* const libraries = new OleTypeLibraries;
  return *libraries;
}

}  // namespace platform
