// A KovaReg command line in the syntax of the Windows registry console tool:
//   QUERY  KeyName [/v ValueName | /ve] [/s]
//   ADD    KeyName [/v ValueName | /ve] [/t Type] [/d Data] [/f]
//   DELETE KeyName [/v ValueName | /ve | /va] [/f]
// Operations and switches ignore case; switches may start with '/' or '-';
// "/reg:64" and "/reg:32" are accepted and ignored (there is one view).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/registry.h"

namespace kovareg {

enum class Operation { kHelp, kQuery, kAdd, kDelete };

struct RegCommand {
  Operation operation = Operation::kHelp;
  // For kHelp: the operation whose usage was asked for (kHelp: the tool's).
  Operation help_for = Operation::kHelp;
  platform::RegistryRoot root = platform::RegistryRoot::kLocalMachine;
  std::string subkey;        // as typed, without trailing backslashes
  std::string display_name;  // "HKEY_LOCAL_MACHINE\..." as output shows it

  bool has_value = false;    // /v or /ve given ("" is the default value)
  std::string value_name;
  bool all_values = false;   // /va
  bool recurse = false;      // /s
  bool force = false;        // /f
  bool has_type = false;
  uint32_t type = platform::kRegSz;
  bool has_data = false;
  std::string data;
};

// The outcome of parsing: |error| holds the complete message when the
// command line is not valid.
struct ParseResult {
  bool ok = false;
  RegCommand command;
  std::string error;
};

// |args| are the arguments after the program name.
ParseResult ParseRegCommand(const std::vector<std::string>& args);

// "HKLM\A\B", "HKEY_CLASSES_ROOT\X", ...: false for any other root or a
// remote name ("\\machine\...").
bool ParseKeyName(const std::string& text, platform::RegistryRoot* root,
                  std::string* subkey, std::string* display_name);

}  // namespace kovareg
