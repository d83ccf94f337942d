// The sub-commands that drive a provider through one VSS operation each.
// Each loads its LUN arguments first (a bad one exits kExitBadInput before
// a provider exists), then makes the provider, calls OnLoad, makes its
// calls, and calls OnUnload without force, as VSS loads and unloads a
// provider. A failed call is reported on standard error as
// "<Method> failed: 0x%08X" and exits kExitProviderFailure.
#pragma once

#include <string>
#include <vector>

#include "tools/KovaVssShadow/shadow_environment.h"

// Makes a shadow copy set of the LUNs and prints
// {"snapshot_set_id": "{GUID}", "targets": [records]}.
int RunCreateCommand(const std::vector<std::string>& luns, const ShadowEnvironment& env);
// LocateLuns with all LUNs.
int RunImportCommand(const std::vector<std::string>& luns, const ShadowEnvironment& env);
// OnLunEmpty for each LUN, all of them even when one fails.
int RunDeleteCommand(const std::vector<std::string>& luns, const ShadowEnvironment& env);
// OnLunStateChange with VSS_ONLUNSTATECHANGE_DO_MASK_LUNS for all LUNs.
int RunMaskCommand(const std::vector<std::string>& luns, const ShadowEnvironment& env);
// ResyncLuns on SOURCE TARGET pairs, each argument exactly one LUN.
int RunResyncCommand(const std::vector<std::string>& luns, const ShadowEnvironment& env);
// Prints the LUN records as read, one per line inside one JSON array, so
// that what a disk reports can be seen and compared. Makes no provider.
int RunShowCommand(const std::vector<std::string>& luns, const ShadowEnvironment& env);
