// The "remove" and "list" commands.
#include <ostream>

#include "OstaraRegTool/array_operations.h"
#include "OstaraRegTool/array_store.h"
#include "OstaraRegTool/array_table.h"
#include "OstaraRegTool/cli_commands.h"
#include "OstaraRegTool/cli_help.h"
#include "OstaraRegTool/cli_shared.h"
#include "OstaraRegTool/provider_service.h"
#include "OstaraRegTool/result_codes.h"
#include "OstaraRegTool/tool_facilities.h"
#include "OstaraRegTool/tool_log_tags.h"
#include "library/log/logger.h"

namespace {

void RemoveArray(const utility::string_t& name) {
  const uint32_t code = RemoveKovaArray(name);
  if (code != RC_SUCCESS) {
    ToolOut() << ConsoleText(GetErrorMsg(code)) << std::endl;
    return;
  }
  ToolOut() << "Name" << std::endl << ConsoleText(name) << std::endl;
  PrintRestartHint();
}

void PrintServiceState() {
  bool running = false;
  if (IsProviderRunning(running) != RC_SUCCESS) {
    ToolOut() << "Cannot determine the status of " << kProviderDisplayName << " service"
              << std::endl;
  } else {
    ToolOut() << kProviderDisplayName << " service is " << (running ? "running" : "not running")
              << std::endl;
  }
}

void ListArrays(const utility::string_t& filter) {
  PrintServiceState();
  ArrayConfigList list;
  const uint32_t code = GetArrayConfigInfo(list, filter);
  if (code != RC_SUCCESS) {
    ToolOut() << ConsoleText(GetErrorMsg(code)) << std::endl;
  } else if (!list.empty()) {
    ShowKovaArrays(list);
  } else {
    ToolOut() << "Array " << (filter.empty() ? "" : "'" + ConsoleText(filter) + "'")
              << " configuration not found" << std::endl;
  }
}

}  // namespace

void RemoveKovaArrayConfiguration(const utility::string_t& line, size_t count,
                                  const CommandArgs& args) {
  Logger::Write(LOG_DEBUG, kCliTag, "ENTERING: RemoveKovaArrayConfiguration()");
  if (count == 3 && (MatchesPattern(line, "remove -h") || MatchesPattern(line, "remove --help"))) {
    PrintRemoveHelp();
  } else if (count == 3 && MatchesPattern(line, "remove [^\\s]+ ")) {
    RemoveArray(args[2]);
  } else {
    PrintRemoveUsageError();
  }
  Logger::Write(LOG_DEBUG, kCliTag, "EXITING: RemoveKovaArrayConfiguration()");
}

void ShowKovaArrayConfiguration(const utility::string_t& line, size_t count,
                                const CommandArgs& args) {
  Logger::Write(LOG_DEBUG, kCliTag, "ENTERING: ShowKovaArrayConfiguration()");
  if (count == 2 && MatchesPattern(line, "list ")) {
    ListArrays(utility::string_t());
  } else if (count == 3 &&
             (MatchesPattern(line, "list -h") || MatchesPattern(line, "list --help"))) {
    PrintListHelp();
  } else if (count == 3 && MatchesPattern(line, "list [^\\s]+ ")) {
    ListArrays(args[2]);
  } else {
    PrintListUsageError();
  }
  Logger::Write(LOG_DEBUG, kCliTag, "EXITING: ShowKovaArrayConfiguration()");
}
