#include "OstaraRegTool/command_line.h"
#include "library/text/text_conversion.h"

#include <cpprest/asyncrt_utils.h>
#include <regex>

namespace {

bool IsPasswordSwitch(const utility::string_t& arg) {
  static const utility::string_t kSwitch = U("--password");
  if (arg.size() != kSwitch.size()) return false;
  for (size_t i = 0; i < arg.size(); ++i) {
    utility::char_t c = arg[i];
    if (c >= U('A') && c <= U('Z')) c = static_cast<utility::char_t>(c - U('A') + U('a'));
    if (c != kSwitch[i]) return false;
  }
  return true;
}

}  // namespace

utility::string_t JoinCommandLine(const CommandArgs& args) {
  utility::string_t line;
  for (size_t i = 1; i < args.size(); ++i) line += args[i] + U(" ");
  return line;
}

bool MatchesPattern(const utility::string_t& line, const char* pattern) {
  if (line.size() > kMaxPatternLineLength) return false;
  const std::basic_regex<utility::char_t> expression(kova::TextOfUtf8(pattern),
                                                      std::regex_constants::ECMAScript);
  return std::regex_search(line, expression);
}

utility::string_t MaskedCommandLine(const CommandArgs& args) {
  utility::string_t line;
  for (size_t i = 0; i < args.size(); ++i) {
    line += args[i];
    if (IsPasswordSwitch(args[i]) && i + 1 < args.size()) {
      line += U(" ********");
      ++i;
    }
    line += U(" ");
  }
  return line;
}

utility::string_t ProgramBaseName(const utility::string_t& program) {
  const size_t slash = program.find_last_of(U("/\\"));
  utility::string_t name = slash == utility::string_t::npos ? program : program.substr(slash + 1);
  const size_t dot = name.find(U('.'));
  if (dot != utility::string_t::npos) name.erase(dot);
  return name;
}

utility::string_t WithHttpsScheme(const utility::string_t& url) {
  if (url.find(U("https://")) != utility::string_t::npos) return url;
  return U("https://") + url;
}
