#include "platform/message_box.h"

#include <cctype>

namespace platform {

MessageAnswer ParseConsoleAnswer(const std::string& line) {
  size_t begin = 0;
  size_t end = line.size();
  while (begin < end && std::isspace(static_cast<unsigned char>(line[begin]))) ++begin;
  while (end > begin && std::isspace(static_cast<unsigned char>(line[end - 1]))) --end;
  std::string word;
  for (size_t i = begin; i < end; ++i) {
    word.push_back(static_cast<char>(std::tolower(static_cast<unsigned char>(line[i]))));
  }
  return word == "y" || word == "yes" ? MessageAnswer::kYes : MessageAnswer::kNo;
}

std::string ConsoleMessageText(MessageKind kind, const std::string& text,
                               const std::string& caption) {
  return caption + ": " + text + (kind == MessageKind::kQuestion ? " [y/n] " : "\n");
}

}  // namespace platform
