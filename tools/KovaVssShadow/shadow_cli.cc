#include "tools/KovaVssShadow/shadow_cli.h"

#include <exception>
#include <fstream>
#include <new>

#include "tools/KovaVssShadow/call_text.h"
#include "tools/KovaVssShadow/script_parser.h"
#include "tools/KovaVssShadow/script_runner.h"
#include "tools/KovaVssShadow/shadow_commands.h"

namespace {

int Usage(const ShadowEnvironment& env, const std::string& problem) {
  *env.err << "KovaVssShadow: " << problem << "\n" << ShadowUsage();
  return kExitBadInput;
}

int RunScriptCommand(const std::vector<std::string>& args, const ShadowEnvironment& env) {
  if (args.size() != 1) return Usage(env, "script needs one FILE, or - for standard input");
  std::vector<ScriptCall> calls;
  std::string error;
  bool parsed = false;
  if (args[0] == "-") {
    parsed = ParseScript(*env.in, &calls, &error);
  } else {
    std::ifstream file(args[0]);
    if (!file) {
      *env.err << "KovaVssShadow: cannot read " << args[0] << std::endl;
      return kExitBadInput;
    }
    parsed = ParseScript(file, &calls, &error);
  }
  if (!parsed) {
    *env.err << "KovaVssShadow: " << args[0] << ": " << error << std::endl;
    return kExitBadInput;
  }
  ProviderSession provider;
  std::string step;
  const HRESULT made = provider.Open(env.factory, &step);
  if (FAILED(made)) {
    *env.err << step << " failed: " << HresultText(made) << std::endl;
    return kExitProviderFailure;
  }
  return RunScriptCalls(calls, provider, env.device_reader, *env.out, *env.err);
}

int Dispatch(const std::vector<std::string>& args, const ShadowEnvironment& env) {
  if (args.empty()) return Usage(env, "no command given");
  const std::string& command = args[0];
  const std::vector<std::string> rest(args.begin() + 1, args.end());
  if (command == "--help" || command == "-h" || command == "help") {
    *env.out << ShadowUsage();
    return kExitSuccess;
  }
  if (command == "create") return RunCreateCommand(rest, env);
  if (command == "import") return RunImportCommand(rest, env);
  if (command == "delete") return RunDeleteCommand(rest, env);
  if (command == "mask") return RunMaskCommand(rest, env);
  if (command == "resync") return RunResyncCommand(rest, env);
  if (command == "script") return RunScriptCommand(rest, env);
  if (command == "show") return RunShowCommand(rest, env);
  return Usage(env, "unknown command \"" + command + "\"");
}

}  // namespace

const char* ShadowUsage() {
  return "Usage: KovaVssShadow COMMAND ARGUMENTS\n"
         "  create LUN...                 make a shadow copy set; prints its target LUNs as JSON\n"
         "  import LUN...                 LocateLuns: surface snapshot LUNs on this host\n"
         "  delete LUN...                 OnLunEmpty for each LUN: release what import made\n"
         "  mask LUN...                   OnLunStateChange with VSS_ONLUNSTATECHANGE_DO_MASK_LUNS\n"
         "  resync SOURCE TARGET...       ResyncLuns on SOURCE TARGET pairs\n"
         "  script FILE|-                 one provider call per line, in any order\n"
         "  show LUN...                   print the LUN records as read (no provider calls)\n"
         "A LUN is a block device path or @FILE (JSON LUN records; the output of create\n"
         "is such a file). Exit codes: 0 done, 1 a provider call failed, 2 bad input.\n";
}

int RunKovaVssShadow(const std::vector<std::string>& args, const ShadowEnvironment& env) {
  try {
    return Dispatch(args, env);
  } catch (const std::bad_alloc&) {
    *env.err << "KovaVssShadow: out of memory" << std::endl;
  } catch (const std::exception& e) {
    *env.err << "KovaVssShadow: " << e.what() << std::endl;
  }
  return kExitProviderFailure;
}
