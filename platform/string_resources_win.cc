#include <windows.h>

#include "platform/string_resources.h"
#include "platform/wide_text_win.h"

namespace platform {
namespace {

class SystemStrings : public StringResources {
 public:
  bool Load(unsigned id, std::string* text) override {
    // With a zero buffer size LoadStringW hands out the text in the image,
    // which is not terminated; its length is the result.
    const wchar_t* in_image = nullptr;
    const int length = LoadStringW(GetModuleHandleW(nullptr), id,
                                   reinterpret_cast<LPWSTR>(&in_image), 0);
    if (length <= 0 || !in_image) return false;
    *text = Narrow(in_image, static_cast<size_t>(length));
    return true;
  }
};

}  // namespace

StringResources& SystemStringResources() {
  static SystemStrings strings;
  return strings;
}

}  // namespace platform
