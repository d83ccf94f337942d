// GetPassword: the hidden password entry of "add".
#include <cpprest/asyncrt_utils.h>
#include <ostream>
#include <string>

#include "OstaraRegTool/array_config.h"
#include "OstaraRegTool/cli_shared.h"
#include "OstaraRegTool/tool_facilities.h"
#include "OstaraRegTool/tool_log_tags.h"
#include "library/log/logger.h"
#include "library/text/text_conversion.h"
#include "platform/data_protection.h"

namespace {

bool IsEnter(const std::string& c) { return c == "\r" || c == "\n"; }
// Terminals send DEL for the backspace key; consoles send BS.
bool IsBackspace(const std::string& c) { return c == "\b" || c == "\x7f"; }

// Reads the typed characters into |typed|, one UTF-8 sequence per entry of
// |lengths|, so that a backspace removes a whole character.
void ReadHidden(platform::HiddenConsoleInput& input, std::string* typed) {
  std::ostream& out = ToolOut();
  std::basic_string<unsigned char> lengths;
  std::string c;
  while (input.ReadCharacter(&c) && !IsEnter(c)) {
    if (IsBackspace(c)) {
      if (lengths.empty()) continue;
      typed->resize(typed->size() - lengths.back());
      lengths.pop_back();
      out << "\b \b" << std::flush;
    } else {
      typed->append(c);
      lengths.push_back(static_cast<unsigned char>(c.size()));
      out << "*" << std::flush;
    }
  }
  platform::SecureWipe(&c);
}

}  // namespace

utility::string_t GetPassword() {
  Logger::Write(LOG_DEBUG, kImplementationTag, "ENTERING: GetPassword()");
  ToolOut() << "Enter user password: " << std::endl;
  std::unique_ptr<platform::HiddenConsoleInput> input = CurrentToolFacilities().open_console_input();
  if (!input) return utility::string_t();
  std::string typed;
  typed.reserve(1024);  // growth would leave copies of the password behind
  ReadHidden(*input, &typed);
  input.reset();  // echo back on before anything else is printed
  ToolOut() << std::endl;
  Logger::Write(LOG_DEBUG, kImplementationTag, "Password Entered: hidden, Exiting: GetPassword()");
  utility::string_t password = kova::TextOfUtf8(typed);
  platform::SecureWipe(&typed);
  return password;
}
