// The Windows Installer's record of installed products.
//
// Windows: MsiQueryProductStateW with the product code in registry form;
// the result is the INSTALLSTATE value (5, INSTALLSTATE_DEFAULT, means
// installed for this machine or user; negative values mean unknown,
// absent or invalid).
// Windows only; tests use fakes.
#pragma once

#include <string>

namespace platform {

inline constexpr int kProductStateInstalled = 5;

class InstalledProducts {
 public:
  virtual ~InstalledProducts() = default;
  virtual int QueryState(const std::string& product_code) = 0;
};

InstalledProducts& SystemInstalledProducts();

}  // namespace platform
