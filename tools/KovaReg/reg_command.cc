#include "tools/KovaReg/reg_command.h"

#include <map>

#include "tools/KovaReg/reg_values.h"

namespace kovareg {
namespace {

struct SwitchSpec {
  const char* name;
  bool takes_argument;
};

const SwitchSpec kQuerySwitches[] = {{"v", true}, {"ve", false}, {"s", false},
                                     {"reg:64", false}, {"reg:32", false}};
const SwitchSpec kAddSwitches[] = {{"v", true},  {"ve", false}, {"t", true},     {"d", true},
                                   {"f", false}, {"reg:64", false}, {"reg:32", false}};
const SwitchSpec kDeleteSwitches[] = {{"v", true},  {"ve", false},     {"va", false},
                                      {"f", false}, {"reg:64", false}, {"reg:32", false}};

std::string Lower(std::string text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return text;
}

bool IsHelp(const std::string& arg) { return arg == "/?" || arg == "-?"; }

const char* OperationName(Operation operation) {
  switch (operation) {
    case Operation::kQuery: return "QUERY ";
    case Operation::kAdd: return "ADD ";
    case Operation::kDelete: return "DELETE ";
    default: return "";
  }
}

ParseResult Failure(const char* what, Operation operation) {
  ParseResult result;
  result.error = std::string("ERROR: ") + what + "\nType \"KovaReg " +
                 OperationName(operation) + "/?\" for usage.\n";
  return result;
}

ParseResult Help(Operation operation) {
  ParseResult result;
  result.ok = true;
  result.command.help_for = operation;
  return result;
}

template <size_t N>
const SwitchSpec* FindSwitch(const SwitchSpec (&table)[N], const std::string& name) {
  for (const SwitchSpec& entry : table) {
    if (name == entry.name) return &entry;
  }
  return nullptr;
}

const SwitchSpec* Lookup(Operation operation, const std::string& name) {
  switch (operation) {
    case Operation::kQuery: return FindSwitch(kQuerySwitches, name);
    case Operation::kAdd: return FindSwitch(kAddSwitches, name);
    default: return FindSwitch(kDeleteSwitches, name);
  }
}

// Collects the switches after the key name; false on an unknown, repeated
// or incomplete switch, or a stray argument.
bool CollectSwitches(Operation operation, const std::vector<std::string>& args,
                     std::map<std::string, std::string>* switches) {
  for (size_t i = 2; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg.size() < 2 || (arg[0] != '/' && arg[0] != '-')) return false;
    const std::string name = Lower(arg.substr(1));
    const SwitchSpec* entry = Lookup(operation, name);
    if (!entry || switches->count(name)) return false;
    std::string argument;
    if (entry->takes_argument) {
      if (i + 1 >= args.size()) return false;
      argument = args[++i];
    }
    (*switches)[name] = argument;
  }
  return true;
}

// Moves the collected switches into |command|; false on a conflict.
bool Apply(const std::map<std::string, std::string>& switches, RegCommand* command) {
  const auto has = [&](const char* name) { return switches.count(name) != 0; };
  if (has("v") + has("ve") + has("va") > 1) return false;
  command->has_value = has("v") || has("ve");
  if (has("v")) command->value_name = switches.at("v");
  command->all_values = has("va");
  command->recurse = has("s");
  command->force = has("f");
  command->has_data = has("d");
  if (command->has_data) command->data = switches.at("d");
  command->has_type = has("t");
  if (command->has_type && !ParseTypeName(switches.at("t"), &command->type)) return false;
  // Type or data without a name mean the default value.
  if ((command->has_type || command->has_data) && !command->has_value) command->has_value = true;
  return true;
}

}  // namespace

bool ParseKeyName(const std::string& text, platform::RegistryRoot* root, std::string* subkey,
                  std::string* display_name) {
  const size_t slash = text.find('\\');
  const std::string first = Lower(text.substr(0, slash));
  if (first == "hklm" || first == "hkey_local_machine") {
    *root = platform::RegistryRoot::kLocalMachine;
    *display_name = "HKEY_LOCAL_MACHINE";
  } else if (first == "hkcr" || first == "hkey_classes_root") {
    *root = platform::RegistryRoot::kClassesRoot;
    *display_name = "HKEY_CLASSES_ROOT";
  } else {
    return false;
  }
  *subkey = slash == std::string::npos ? "" : text.substr(slash + 1);
  while (!subkey->empty() && subkey->back() == '\\') subkey->pop_back();
  if (!subkey->empty()) *display_name += "\\" + *subkey;
  return true;
}

ParseResult ParseRegCommand(const std::vector<std::string>& args) {
  if (args.empty()) return Failure("Invalid syntax.", Operation::kHelp);
  if (IsHelp(args[0])) return Help(Operation::kHelp);
  const std::string verb = Lower(args[0]);
  Operation operation;
  if (verb == "query") {
    operation = Operation::kQuery;
  } else if (verb == "add") {
    operation = Operation::kAdd;
  } else if (verb == "delete") {
    operation = Operation::kDelete;
  } else {
    return Failure("Invalid syntax.", Operation::kHelp);
  }
  if (args.size() >= 2 && IsHelp(args[1])) return Help(operation);
  if (args.size() < 2) return Failure("Invalid syntax.", operation);

  ParseResult result;
  RegCommand& command = result.command;
  command.operation = operation;
  if (!ParseKeyName(args[1], &command.root, &command.subkey, &command.display_name)) {
    return Failure("Invalid key name.", operation);
  }
  std::map<std::string, std::string> switches;
  if (!CollectSwitches(operation, args, &switches) || !Apply(switches, &command)) {
    return Failure("Invalid syntax.", operation);
  }
  result.ok = true;
  return result;
}

}  // namespace kovareg
