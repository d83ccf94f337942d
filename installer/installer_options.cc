#include "installer/installer_options.h"

#include <cctype>

namespace {

bool ContainsSwitch(const std::string& lowered, char letter) {
  const char slash[] = {'/', letter, '\0'};
  const char hyphen[] = {'-', letter, '\0'};
  return lowered.find(slash) != std::string::npos || lowered.find(hyphen) != std::string::npos;
}

}  // namespace

InstallerOptions ParseInstallerSwitches(const std::string& argument_text) {
  std::string lowered;
  lowered.reserve(argument_text.size());
  for (const char c : argument_text) {
    lowered.push_back(static_cast<char>(std::tolower(static_cast<unsigned char>(c))));
  }
  InstallerOptions options;
  if (ContainsSwitch(lowered, 'x')) options.mode = InstallerMode::kUninstall;
  options.silent = ContainsSwitch(lowered, 's');
  options.remove_existing = ContainsSwitch(lowered, 'r');
  options.extract_only = ContainsSwitch(lowered, 'e');
  options.help = ContainsSwitch(lowered, '?') || ContainsSwitch(lowered, 'h');
  return options;
}
