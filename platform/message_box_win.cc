#include <windows.h>

#include "platform/message_box.h"
#include "platform/wide_text_win.h"

namespace platform {
namespace {

UINT BoxStyle(MessageKind kind) {
  switch (kind) {
    case MessageKind::kInformation:
      return MB_OK | MB_ICONINFORMATION;
    case MessageKind::kError:
      return MB_OK | MB_ICONERROR;
    case MessageKind::kQuestion:
      break;
  }
  return MB_YESNO | MB_ICONQUESTION;
}

bool UsableHandle(HANDLE handle) { return handle && handle != INVALID_HANDLE_VALUE; }

std::string ReadConsoleLine(HANDLE input) {
  std::string line;
  char c = 0;
  DWORD read = 0;
  while (line.size() < 256 && ReadFile(input, &c, 1, &read, nullptr) && read == 1 && c != '\n') {
    line.push_back(c);
  }
  return line;
}

// For sessions without a desktop, where MessageBoxW fails at once.
MessageAnswer AskOnConsole(MessageKind kind, const std::string& text, const std::string& caption) {
  const HANDLE output = GetStdHandle(STD_OUTPUT_HANDLE);
  if (!UsableHandle(output)) return MessageAnswer::kNone;
  const std::string shown = ConsoleMessageText(kind, text, caption);
  DWORD written = 0;
  WriteFile(output, shown.data(), static_cast<DWORD>(shown.size()), &written, nullptr);
  if (kind != MessageKind::kQuestion) return MessageAnswer::kOk;
  const HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
  return UsableHandle(input) ? ParseConsoleAnswer(ReadConsoleLine(input)) : MessageAnswer::kNo;
}

class SystemBoxes : public MessageBoxes {
 public:
  MessageAnswer Show(MessageKind kind, const std::string& text,
                     const std::string& caption) override {
    switch (MessageBoxW(nullptr, Wide(text).c_str(), Wide(caption).c_str(), BoxStyle(kind))) {
      case IDOK:
        return MessageAnswer::kOk;
      case IDYES:
        return MessageAnswer::kYes;
      case IDNO:
        return MessageAnswer::kNo;
      default:
        return AskOnConsole(kind, text, caption);
    }
  }
};

}  // namespace

MessageBoxes& SystemMessageBoxes() {
  static SystemBoxes boxes;
  return boxes;
}

}  // namespace platform
