#include "OstaraRegTool/tool_startup.h"

#include <ostream>

#include "OstaraRegTool/cli_commands.h"
#include "OstaraRegTool/cli_shared.h"
#include "OstaraRegTool/registry_values.h"
#include "OstaraRegTool/result_codes.h"
#include "OstaraRegTool/settings_store.h"
#include "OstaraRegTool/tool_facilities.h"
#include "OstaraRegTool/tool_log_tags.h"
#include "library/log/logger.h"
#include "library/text/leading_integer.h"
#include "library/text/text_conversion.h"
#include "library/version.h"
#include "platform/os_description.h"

namespace {

constexpr char kNotice[] =
    "Registers Kova Storage Lumenstack arrays with the VSS hardware provider.";

int FailStartup(uint32_t code) {
  ToolOut() << ConsoleText(GetErrorMsg(code)) << std::endl
            << std::endl
            << "Contact Kova Storage Support" << std::endl;
  return static_cast<int>(code);
}

// Reads "Logging" and "LogLevel" and opens the tool's log with them.
uint32_t OpenToolLog() {
  RegistryKeyPtr key;
  if (OpenProviderKey(&key) != platform::RegistryStatus::kOk) return RC_CONFIG_NOT_FOUND;
  utility::string_t logging, level;
  uint32_t code = GetTracing(std::move(key), logging);
  if (code == RC_SUCCESS) code = GetLogLevel(level);
  if (code != RC_SUCCESS) return code;
  Logger::Open(logging == U("Enabled"), kova::ParseLeadingInteger(level), kConfigToolLogFileName);
  return RC_SUCCESS;
}

}  // namespace

void PrintBanner(const utility::string_t& program) {
  const platform::OsDescription os = platform::GetOsDescription();
  ToolOut() << "Kova Storage " << ConsoleText(ProgramBaseName(program)) << " version "
            << kova::kProductVersion << kova::kBuildString << std::endl
            << kNotice << std::endl
            << "On Computer: " << os.computer_name << " - " << os.os_name << " " << os.major << "."
            << os.minor << " (" << os.build << ")" << std::endl;
}

int RunKovaProviderConfig(const CommandArgs& args) {
  PrintBanner(args.empty() ? utility::string_t(U("KovaProviderConfig")) : args[0]);
  if (!CurrentToolFacilities().is_administrator()) {
    ToolOut() << "You must run this application as Administrator" << std::endl;
    return RC_NOT_ADMINISTRATOR;
  }
  uint32_t code = CreateDefaultConfig();
  if (code != RC_SUCCESS) return FailStartup(code);
  ToolOut() << "Supported REST version is " << ConsoleText(GetRESTVersionFromRegistry())
            << std::endl
            << std::endl;
  code = OpenToolLog();
  if (code != RC_SUCCESS) return FailStartup(code);
  Logger::Write(LOG_INFO, kMainTag, "Command-line: %ls", MaskedCommandLine(args));
  Logger::Write(LOG_DEBUG, kMainTag, "Starting Application - CONSOLE mode");
  RunCommandLine(args);
  Logger::Write(LOG_DEBUG, kMainTag, "Exiting Application - CONSOLE mode");
  Logger::Close();
  return RC_SUCCESS;
}
