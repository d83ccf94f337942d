// The "setattr" command: a new address, a new name, or both.
#include <ostream>

#include "OstaraRegTool/array_operations.h"
#include "OstaraRegTool/array_store.h"
#include "OstaraRegTool/cli_commands.h"
#include "OstaraRegTool/cli_help.h"
#include "OstaraRegTool/cli_shared.h"
#include "OstaraRegTool/result_codes.h"
#include "OstaraRegTool/tool_facilities.h"
#include "OstaraRegTool/tool_log_tags.h"
#include "library/log/logger.h"

namespace {

constexpr char kUrlFive[] = "setattr --url [^\\s]+ [^\\s]+";
constexpr char kNewnameFive[] = "setattr --newname [^\\s]+ [^\\s]+";
constexpr char kUrlNewnameSeven[] = "setattr --url [^\\s]+ --newname [^\\s]+ [^\\s]+";
constexpr char kNewnameUrlSeven[] = "setattr --newname [^\\s]+ --url [^\\s]+ [^\\s]+";

bool Failed(uint32_t code) {
  if (code == RC_SUCCESS) return false;
  ToolOut() << ConsoleText(GetErrorMsg(code)) << std::endl;
  return true;
}

// The five-argument forms; true when an edit succeeded.
bool EditOne(const CommandArgs& args) {
  if (args[2] == U("--newname")) return EditKovaArrayName(args[3], args[4]);
  if (args[2] == U("--url")) return EditKovaArrayURL(args[3], args[4]);
  return false;
}

}  // namespace

bool EditKovaArrayURL(const utility::string_t& url, const utility::string_t& name) {
  Logger::Write(LOG_DEBUG, kCliTag, "ENTERING: EditKovaArrayURL()");
  const bool done = !Failed(UpdateKovaArrayURL(name, WithHttpsScheme(url))) &&
                    ShowConfiguredArray(name);
  Logger::Write(LOG_DEBUG, kCliTag, "EXITING: EditKovaArrayURL()");
  return done;
}

bool EditKovaArrayName(const utility::string_t& new_name, const utility::string_t& old_name) {
  Logger::Write(LOG_DEBUG, kCliTag, "ENTERING: EditKovaArrayName()");
  const bool done = CheckNewArrayName(new_name) &&
                    !Failed(UpdateKovaArrayName(old_name, new_name)) &&
                    ShowConfiguredArray(new_name);
  Logger::Write(LOG_DEBUG, kCliTag, "EXITING: EditKovaArrayName()");
  return done;
}

bool EditKovaArrayAttributes(const CommandArgs& args) {
  Logger::Write(LOG_DEBUG, kCliTag, "ENTERING: EditKovaArrayAttributes()");
  const bool url_first = args[2] != U("--newname");
  const utility::string_t& url = url_first ? args[3] : args[5];
  const utility::string_t& new_name = url_first ? args[5] : args[3];
  const utility::string_t& old_name = args[6];
  // The address changes before the new name is checked.
  const bool done = !Failed(UpdateKovaArrayURL(old_name, WithHttpsScheme(url))) &&
                    CheckNewArrayName(new_name) &&
                    !Failed(UpdateKovaArrayName(old_name, new_name)) &&
                    ShowConfiguredArray(new_name);
  Logger::Write(LOG_DEBUG, kCliTag, "EXITING: EditKovaArrayAttributes()");
  return done;
}

void EditKovaArrayConfiguration(const utility::string_t& line, size_t count,
                                const CommandArgs& args) {
  Logger::Write(LOG_DEBUG, kCliTag, "ENTERING: EditKovaArrayConfiguration()");
  bool edited = false;
  if (count == 3 &&
      (MatchesPattern(line, "setattr -h") || MatchesPattern(line, "setattr --help"))) {
    PrintSetattrHelp();
  } else if (count == 5 && (MatchesPattern(line, kUrlFive) || MatchesPattern(line, kNewnameFive))) {
    edited = EditOne(args);
  } else if (count == 7 &&
             (MatchesPattern(line, kUrlNewnameSeven) || MatchesPattern(line, kNewnameUrlSeven))) {
    edited = EditKovaArrayAttributes(args);
  } else {
    PrintSetattrUsageError(count);
  }
  if (edited) PrintRestartHint();
  Logger::Write(LOG_DEBUG, kCliTag, "EXITING: EditKovaArrayConfiguration()");
}
