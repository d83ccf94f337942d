#include <windows.h>

#include <stdexcept>
#include <string>

#include "tests/support/temp_dir.h"

TempDir::TempDir() {
  const std::filesystem::path base = std::filesystem::temp_directory_path();
  static unsigned counter = 0;
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::wstring name = L"kova-test-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                              std::to_wstring(GetTickCount()) + L"-" + std::to_wstring(++counter);
    if (CreateDirectoryW((base / name).c_str(), nullptr)) {
      path_ = base / name;
      return;
    }
  }
  throw std::runtime_error("CreateDirectoryW failed");
}

TempDir::~TempDir() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}
