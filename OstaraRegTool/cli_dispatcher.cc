// RunCommandLine: picks the command by its word.
#include "OstaraRegTool/cli_commands.h"
#include "OstaraRegTool/cli_help.h"
#include "OstaraRegTool/tool_log_tags.h"
#include "library/log/logger.h"

namespace {

using Handler = void (*)(const utility::string_t&, size_t, const CommandArgs&);

struct Command {
  const utility::char_t* word;
  Handler handler;
};

const Command kCommands[] = {
    {U("add"), AddKovaArrayConfiguration},     {U("setattr"), EditKovaArrayConfiguration},
    {U("remove"), RemoveKovaArrayConfiguration}, {U("list"), ShowKovaArrayConfiguration},
    {U("log"), SetLog},                          {U("restartprovider"), RestartProviderCommand},
};

bool AsksForHelp(const utility::string_t& word) {
  return word.find(U("help")) != utility::string_t::npos ||
         word.find(U("-h")) != utility::string_t::npos;
}

}  // namespace

void PrintHelpMessage() {
  Logger::Write(LOG_DEBUG, kCliTag, "ENTERING: PrintHelpMessage()");
  PrintGeneralHelpText();
  Logger::Write(LOG_DEBUG, kCliTag, "EXITING: PrintHelpMessage()");
}

void RunCommandLine(const CommandArgs& args) {
  Logger::Write(LOG_DEBUG, kDispatcherTag, "Ostara Reg Tool Log initialized");
  const utility::string_t line = JoinCommandLine(args);
  if (args.size() < 2) {
    PrintShortUsage();
    return;
  }
  const utility::string_t& word = args[1];
  if (AsksForHelp(word)) {
    PrintHelpMessage();
    return;
  }
  for (const Command& command : kCommands) {
    if (word == command.word) {
      command.handler(line, args.size(), args);
      return;
    }
  }
  PrintInvalidCommand();
}
