// Modal message boxes of a program without a main window.
//
// Windows: MessageBoxW without an owner window; information and error
// boxes have an OK button, questions Yes and No. Where no box can be shown
// (a session without a desktop, as Wine without a display), the message
// goes to the standard output as "caption: text" when the program has one,
// and a question reads its answer as a line from the standard input: "y"
// or "yes" in any case answers Yes, anything else, the end of the input
// included, No. Without standard handles the answer is kNone.
// POSIX (the provider program's registration): one line "caption: text" on
// standard error; a question is answered No.
#pragma once

#include <string>

namespace platform {

enum class MessageKind { kInformation, kError, kQuestion };
enum class MessageAnswer { kNone, kOk, kYes, kNo };

class MessageBoxes {
 public:
  virtual ~MessageBoxes() = default;
  // Blocks until the box is closed. Texts are UTF-8.
  virtual MessageAnswer Show(MessageKind kind, const std::string& text,
                             const std::string& caption) = 0;
};

MessageBoxes& SystemMessageBoxes();

// The answer a console line gives to a question (see above).
MessageAnswer ParseConsoleAnswer(const std::string& line);

// How a message reads on a console: "caption: text", and the question's
// prompt " [y/n] " after a question, or a line feed after anything else.
std::string ConsoleMessageText(MessageKind kind, const std::string& text,
                               const std::string& caption);

}  // namespace platform
