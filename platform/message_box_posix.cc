#include <iostream>

#include "platform/message_box.h"

namespace platform {
namespace {

// A line on standard error for the person at the console; nobody answers a
// question there, so it is answered No.
class StandardErrorBoxes : public MessageBoxes {
 public:
  MessageAnswer Show(MessageKind kind, const std::string& text, const std::string& caption) override {
    std::cerr << caption << ": " << text << std::endl;
    return kind == MessageKind::kQuestion ? MessageAnswer::kNo : MessageAnswer::kOk;
  }
};

}  // namespace

MessageBoxes& SystemMessageBoxes() {
  static MessageBoxes* const boxes = new StandardErrorBoxes;
  return *boxes;
}

}  // namespace platform
