#include <windows.h>
// windows.h first: msi.h needs its types.
#include <msi.h>

#include "platform/installed_products.h"
#include "platform/wide_text_win.h"

namespace platform {
namespace {

class SystemInstalledProductsImpl : public InstalledProducts {
 public:
  int QueryState(const std::string& product_code) override {
    return MsiQueryProductStateW(Wide(product_code).c_str());
  }
};

}  // namespace

InstalledProducts& SystemInstalledProducts() {
  static SystemInstalledProductsImpl products;
  return products;
}

}  // namespace platform
