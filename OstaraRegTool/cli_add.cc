// The "add" command.
#include <ostream>

#include "OstaraRegTool/array_config.h"
#include "OstaraRegTool/array_operations.h"
#include "OstaraRegTool/cli_commands.h"
#include "OstaraRegTool/cli_help.h"
#include "OstaraRegTool/cli_shared.h"
#include "OstaraRegTool/result_codes.h"
#include "OstaraRegTool/tool_facilities.h"
#include "OstaraRegTool/tool_log_tags.h"
#include "library/log/logger.h"
#include "platform/secure_zero.h"

namespace {

constexpr char kAddSevenArguments[] = "add --url [^\\s]+ --user [^\\s]+ [^\\s]+";
constexpr char kAddNineArguments[] = "add --url [^\\s]+ --user [^\\s]+ --password [^\\s]+ [^\\s]+";

// Without |given_password| the password is asked for.
void AddArray(const utility::string_t& url_argument, const utility::string_t& user,
              const utility::string_t& name, const utility::string_t* given_password) {
  const utility::string_t url = WithHttpsScheme(url_argument);
  utility::string_t password = given_password ? *given_password : GetPassword();
  if (CheckNewArrayName(name)) {
    const uint32_t code = AddKovaArray(name, url, user, password);
    if (code != RC_SUCCESS) {
      ToolOut() << ConsoleText(GetErrorMsg(code)) << std::endl;
    } else if (ShowConfiguredArray(name)) {
      PrintRestartHint();
    }
  }
  platform::SecureWipe(&password);
}

}  // namespace

void AddKovaArrayConfiguration(const utility::string_t& line, size_t count,
                               const CommandArgs& args) {
  Logger::Write(LOG_DEBUG, kCliTag, "ENTERING: AddKovaArrayConfiguration()");
  if (count == 3 && (MatchesPattern(line, "add -h") || MatchesPattern(line, "add --help"))) {
    PrintAddHelp();
  } else if (count == 7 && MatchesPattern(line, kAddSevenArguments)) {
    AddArray(args[3], args[5], args[6], nullptr);
  } else if (count == 9 && MatchesPattern(line, kAddNineArguments)) {
    AddArray(args[3], args[5], args[8], &args[7]);
  } else {
    PrintAddUsageError(count);
  }
  Logger::Write(LOG_DEBUG, kCliTag, "EXITING: AddKovaArrayConfiguration()");
}
