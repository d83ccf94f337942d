// The "log" command: show, enable or disable the logging settings.
#include <ostream>

#include "OstaraRegTool/cli_commands.h"
#include "OstaraRegTool/cli_help.h"
#include "OstaraRegTool/cli_shared.h"
#include "OstaraRegTool/registry_values.h"
#include "OstaraRegTool/result_codes.h"
#include "OstaraRegTool/settings_store.h"
#include "OstaraRegTool/tool_facilities.h"
#include "OstaraRegTool/tool_log_tags.h"
#include "library/log/logger.h"
#include "library/text/leading_integer.h"
#include "library/text/text_conversion.h"

namespace {

const char* const kLevelNames[] = {"[ERROR]", "[WARNING]", "[INFO]", "[DEBUG]", "[TRACE]"};

// The name of a stored level text; any number works (negative ones too).
const char* LevelName(const utility::string_t& level) {
  const int32_t number = kova::ParseLeadingInteger(level);
  return kLevelNames[((number % 5) + 5) % 5];
}

void ShowLogStatus() {
  RegistryKeyPtr key;
  utility::string_t logging, level;
  if (OpenProviderKey(&key) != platform::RegistryStatus::kOk ||
      GetTracing(std::move(key), logging) != RC_SUCCESS || GetLogLevel(level) != RC_SUCCESS) {
    return;
  }
  std::ostream& out = ToolOut();
  out << std::endl << "Log: " << ConsoleText(logging) << std::endl;
  if (logging == U("Enabled")) {
    out << "Log Level: " << ConsoleText(level) << LevelName(level) << std::endl;
  }
}

void EnableLog(const utility::string_t& level) {
  const uint32_t code = SetTracing(U("Enabled"), level);
  if (code != RC_SUCCESS) {
    ToolOut() << ConsoleText(GetErrorMsg(code)) << std::endl;
    return;
  }
  ToolOut() << std::endl
            << "Log Enabled" << std::endl
            << "Log Level: " << ConsoleText(level) << LevelName(level) << std::endl;
}

void DisableLog() {
  const uint32_t code = SetTracing(U("Disabled"), utility::string_t());
  if (code != RC_SUCCESS) {
    ToolOut() << ConsoleText(GetErrorMsg(code)) << std::endl;
    return;
  }
  ToolOut() << std::endl << "Log Disabled" << std::endl;
}

void RunLogAction(const CommandArgs& args) {
  const utility::string_t action = args[2].substr(2);
  if (action == U("status")) {
    ShowLogStatus();
  } else if (action == U("enable")) {
    EnableLog(args.size() == 5 ? args[4] : utility::string_t(U("2")));
  } else if (action == U("disable")) {
    DisableLog();
  }
}

}  // namespace

void SetLog(const utility::string_t& line, size_t count, const CommandArgs& args) {
  Logger::Write(LOG_DEBUG, kCliTag, "ENTERING: SetLog()");
  if (count == 3) {
    if (MatchesPattern(line, "log --status ") || MatchesPattern(line, "log --disable ") ||
        MatchesPattern(line, "log --enable ")) {
      RunLogAction(args);
    } else if (MatchesPattern(line, "log -h") || MatchesPattern(line, "log --help")) {
      PrintLogHelp();
    } else {
      ToolOut() << std::endl << "Invalid Format" << std::endl;
      PrintLogHelp();
    }
  } else if (count == 5) {
    if (MatchesPattern(line, "log --enable --loglevel [0-4] ")) {
      RunLogAction(args);
    } else {
      PrintLogUsageError();
    }
  } else {
    PrintLogLengthMismatch();
  }
  Logger::Write(LOG_DEBUG, kCliTag, "EXITING: SetLog()");
}
