// The "restartprovider" command and the restart hint.
#include <ostream>

#include "OstaraRegTool/cli_commands.h"
#include "OstaraRegTool/cli_help.h"
#include "OstaraRegTool/provider_service.h"
#include "OstaraRegTool/result_codes.h"
#include "OstaraRegTool/tool_facilities.h"

namespace {

void Restart(bool force_stop) {
  std::ostream& out = ToolOut();
  bool running = false;
  if (IsProviderRunning(running) != RC_SUCCESS) {
    out << "Cannot determine the status of '" << kProviderDisplayName << "'" << std::endl;
  } else if (!running) {
    out << "'" << kProviderDisplayName << "' is not running." << std::endl;
  } else {
    const bool restarted = RestartProvider(force_stop) == RC_SUCCESS;
    out << (restarted ? "Successfully restarted '" : "Failed to restart '")
        << kProviderDisplayName << "'." << std::endl;
  }
}

}  // namespace

void RestartProviderCommand(const utility::string_t& line, size_t count,
                            const CommandArgs& args) {
  if (count > 3) {
    ToolOut() << "Invalid Format" << std::endl;
    PrintRestartProviderHelp();
  } else if (count == 3) {
    if (MatchesPattern(line, "restartprovider --forcestop ")) {
      Restart(true);
    } else if (MatchesPattern(line, "restartprovider -h") ||
               MatchesPattern(line, "restartprovider --help")) {
      PrintRestartProviderHelp();
    } else {
      ToolOut() << "Invalid Format" << std::endl;
      PrintRestartProviderHelp();
    }
  } else {
    Restart(false);
  }
}

void PrintRestartHint() {
  std::ostream& out = ToolOut();
  out << std::endl
      << "The new change(s) will take effect the next time '" << kProviderDisplayName
      << "' starts.";
  bool running = false;
  if (IsProviderRunning(running) == RC_SUCCESS && running) {
    out << std::endl
        << "To restart '" << kProviderDisplayName
        << "' now, run 'KovaProviderConfig restartprovider'.";
  }
  out << std::endl << std::endl;
}
