#include "tools/KovaReg/reg_help.h"

namespace kovareg {
namespace {

constexpr char kKeyName[] =
    "  KeyName    ROOTKEY\\SubKey\n"
    "             ROOTKEY is HKLM, HKEY_LOCAL_MACHINE, HKCR or HKEY_CLASSES_ROOT.\n";

constexpr char kOverview[] =
    "\n"
    "KovaReg Operation [Parameter List]\n"
    "\n"
    "  Operation  [ QUERY | ADD | DELETE ]\n"
    "\n"
    "Edits the registry hive of this machine ($KOVA_STATE_DIR/registry.db).\n"
    "Return Code: (Except for the canceled operations)\n"
    "\n"
    "  0 - Successful\n"
    "  1 - Failed\n"
    "\n"
    "For help on a specific operation type:\n"
    "\n"
    "  KovaReg Operation /?\n"
    "\n"
    "Examples:\n"
    "\n"
    "  KovaReg QUERY /?\n"
    "  KovaReg ADD /?\n"
    "  KovaReg DELETE /?\n";

constexpr char kQuery[] =
    "\n"
    "KovaReg QUERY KeyName [/v ValueName | /ve] [/s]\n"
    "\n"
    "%KEY"
    "\n"
    "  /v         Queries for a specific registry key value.\n"
    "  /ve        Queries for the default value or empty value name (Default).\n"
    "  /s         Queries all subkeys and values recursively (like dir /s).\n"
    "\n"
    "Examples:\n"
    "\n"
    "  KovaReg QUERY HKLM\\SOFTWARE\\KovaStorage\\VSS\\Provider /v DeleteSnaps\n"
    "  KovaReg QUERY HKLM\\SOFTWARE\\KovaStorage /s\n";

constexpr char kAdd[] =
    "\n"
    "KovaReg ADD KeyName [/v ValueName | /ve] [/t Type] [/d Data] [/f]\n"
    "\n"
    "%KEY"
    "\n"
    "  /v         The value name, under the selected Key, to add.\n"
    "  /ve        Adds an empty value name (Default) for the key.\n"
    "  /t         RegKey data types\n"
    "             [ REG_SZ | REG_EXPAND_SZ | REG_DWORD | REG_BINARY ]\n"
    "             If omitted, REG_SZ is assumed.\n"
    "  /d         The data to assign to the registry ValueName being added.\n"
    "             REG_DWORD: decimal or 0x hexadecimal; REG_BINARY: hex digits.\n"
    "  /f         Force overwriting the existing registry entry without prompt.\n"
    "\n"
    "Examples:\n"
    "\n"
    "  KovaReg ADD HKLM\\SOFTWARE\\KovaStorage\\VSS\\Provider /v DeleteSnaps /t REG_DWORD /d 1\n"
    "  KovaReg ADD HKLM\\SOFTWARE\\KovaStorage\\VSS\\Provider /v LogInterrogate /t REG_DWORD /d 1 /f\n";

constexpr char kDelete[] =
    "\n"
    "KovaReg DELETE KeyName [/v ValueName | /ve | /va] [/f]\n"
    "\n"
    "%KEY"
    "\n"
    "  ValueName  The value name, under the selected Key, to delete.\n"
    "             When omitted, all subkeys and values under the Key are deleted.\n"
    "  /ve        Delete the value of empty value name (Default).\n"
    "  /va        Delete all values under this key.\n"
    "  /f         Forces the deletion without prompt.\n"
    "\n"
    "Examples:\n"
    "\n"
    "  KovaReg DELETE HKLM\\SOFTWARE\\KovaStorage\\VSS\\Provider /v EradicateVolumes\n";

std::string WithKeyName(const char* text) {
  std::string usage = text;
  const size_t marker = usage.find("%KEY");
  if (marker != std::string::npos) usage.replace(marker, 4, kKeyName);
  return usage;
}

}  // namespace

std::string UsageText(Operation operation) {
  switch (operation) {
    case Operation::kQuery: return WithKeyName(kQuery);
    case Operation::kAdd: return WithKeyName(kAdd);
    case Operation::kDelete: return WithKeyName(kDelete);
    default: return kOverview;
  }
}

}  // namespace kovareg
