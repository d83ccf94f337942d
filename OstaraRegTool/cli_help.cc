#include "OstaraRegTool/cli_help.h"

#include <initializer_list>
#include <ostream>
#include <string>

#include "OstaraRegTool/tool_facilities.h"

namespace {

void PrintLines(std::initializer_list<std::string> lines) {
  std::ostream& out = ToolOut();
  for (const std::string& line : lines) out << line << std::endl;
}

const std::string kAddress = kExampleAddress;
const std::string kAddExample7 =
    "For example, KovaProviderConfig.exe add --url " + kAddress + " --user USERNAME KovaArray";
const std::string kAddExample9 = "For example, KovaProviderConfig.exe add --url " + kAddress +
                                 " --user USERNAME --password PASSWORD KovaArray";
const std::string kSetattrUrlNewname = "For example, KovaProviderConfig.exe setattr --url " +
                                       kAddress + " --newname NewKovaArray OldKovaArray";
const std::string kSetattrNewnameUrl =
    "For example, KovaProviderConfig.exe setattr --newname NewKovaArray --url " + kAddress +
    " OldKovaArray";

void PrintSetattrFiveArgumentExamples() {
  PrintLines({"For example, KovaProviderConfig.exe setattr --url " + kAddress + " KovaArray",
              "For example, KovaProviderConfig.exe setattr --newname NewKovaArray OldKovaArray",
              "For example, KovaProviderConfig.exe setattr -h"});
}

}  // namespace

void PrintGeneralHelpText() {
  PrintLines({"",
              "usage: KovaProviderConfig.exe [-h]\t{add, setattr, remove, list, log, "
              "restartprovider} ...\n",
              "positional arguments:\n\t{add, setattr, remove, list, log, restartprovider}\n",
              "\tadd\t\tAdd Array to VSS", "\tsetattr\t\tSet Array attributes",
              "\tremove\t\tRemove Array from VSS",
              "\tlist\t\tList configured Kova Storage Arrays and their status",
              "\tlog\t\tEnable/Disable Logging",
              "\trestartprovider\tRestart the KovaProvider service if it is currently running",
              "optional arguments:", "\t-h\t\tshow this help message and exit"});
}

void PrintShortUsage() {
  PrintLines({"Usage: KovaProviderConfig.exe [-h] {add, list, log, remove, setattr, "
              "restartprovider}"});
}

void PrintInvalidCommand() {
  PrintLines({"Invalid Command.\nUsage: KovaProviderConfig.exe [-h] {add, list, log, remove, "
              "setattr}"});
}

void PrintAddHelp() {
  PrintLines({"", "usage: KovaProviderConfig add [-h] --url ADDRESS --user USER [--password "
                  "PASSWORD] ARRAY",
              "positional arguments:", "\t--url ADDRESS\tArray URL", "\t--user USERNAME\tArray User",
              "\tARRAY\t\tArray Name", "optional arguments:",
              "\t--password PASSWORD\tArray Password", "\t-h\t\tshow this help message and exit"});
}

void PrintAddUsageError(size_t arg_count) {
  PrintLines({"", "Invalid Format\nUsage: ", "KovaProviderConfig <operation> <parameters>"});
  const std::string help = "For example, KovaProviderConfig.exe add -h";
  if (arg_count == 7) {
    PrintLines({kAddExample7, help});
  } else if (arg_count == 9) {
    PrintLines({kAddExample9, help});
  } else {
    PrintLines({kAddExample7, kAddExample9, help, "See help for more information"});
  }
}

void PrintSetattrHelp() {
  PrintLines({"", "usage: KovaProviderConfig setattr [-h] [--newname NEWNAME] [--url ADDRESS] ARRAY",
              "positional arguments:", "\tARRAY\t\t\tArray Name", "optional arguments:",
              "\t--newname NEWNAME\tNew Array Name", "\t--url ADDRESS\t\tArray URL",
              "\t-h\t\t\tshow this help message and exit"});
}

void PrintSetattrUsageError(size_t arg_count) {
  PrintLines({"", "Invalid Format\nUsage: KovaProviderConfig.exe <operation> <parameters>"});
  if (arg_count != 5) PrintLines({kSetattrUrlNewname, kSetattrNewnameUrl});
  if (arg_count != 7) PrintSetattrFiveArgumentExamples();
}

void PrintRemoveHelp() {
  PrintLines({"", "usage: KovaProviderConfig remove [-h] ARRAY", "positional arguments:",
              "\tARRAY\tArray Name", "optional arguments:", "\t-h\tshow this help message and exit"});
}

void PrintRemoveUsageError() {
  PrintLines({"", "Invalid Format\nUsage: KovaProviderConfig <operation> <parameters>",
              "For example, KovaProviderConfig.exe remove KovaArray",
              "For example, KovaProviderConfig.exe remove -h"});
}

void PrintListHelp() {
  PrintLines({"", "usage: KovaProviderConfig list [-h] [ARRAY]", "positional arguments:",
              "\tARRAY\tArray Name", "optional arguments:", "\t-h\tshow this help message and exit"});
}

void PrintListUsageError() {
  PrintLines({"", "Invalid Format", "Usage: KovaProviderConfig.exe <operation> <parameters>",
              "For example, KovaProviderConfig.exe list -h",
              "For example, KovaProviderConfig.exe list ArrayName"});
}

void PrintLogHelp() {
  PrintLines({"usage: KovaProviderConfig log [-h] --ACTION [--loglevel LOGLEVEL]",
              "Required argument:", "\t--ACTION\t\tenable, disable, status", "optional arguments:",
              "\t--loglevel LOGLEVEL\t0-4 [0=LOG_ERROR, 1=LOG_WARN, 2=LOG_INFO, 3=LOG_DEBUG, "
              "4=LOG_TRACE]",
              "\t-h\t\t\tshow this help message and exit", "",
              "For example, KovaProviderConfig.exe log --status", "KovaProviderConfig.exe log --enable",
              "KovaProviderConfig.exe log --disable"});
}

void PrintLogUsageError() {
  PrintLines({"", "Invalid Format", "Usage: KovaProviderConfig.exe <operation> <parameters>",
              "For example, KovaProviderConfig.exe log --enable --loglevel 0"});
}

void PrintLogLengthMismatch() {
  PrintLines({"", "Argument Length mismatch \nKovaProviderConfig.exe <operation> <parameters>"});
}

void PrintRestartProviderHelp() {
  PrintLines({"usage: KovaProviderConfig restartprovider [-h] [--forcestop] ",
              "Optional arguments:", "\t-h\t\tShow this help message and exit",
              "\t--forcestop\tForcefully terminate the KovaProvider service if it did not respond "
              "to the request to stop",
              "", "For example, KovaProviderConfig.exe restartprovider",
              "KovaProviderConfig.exe restartprovider --forcestop",
              "KovaProviderConfig.exe restartprovider -h"});
}
