// What a KovaVssShadow run works with: how to make the provider, how to read
// a block device's LUN record, and its standard streams. main wires the real
// provider and devices; tests wire fakes.
#pragma once

#include <istream>
#include <ostream>

#include "tools/KovaVssShadow/lun_arguments.h"
#include "tools/KovaVssShadow/provider_session.h"

struct ShadowEnvironment {
  ProviderFactory factory;
  LunDeviceReader device_reader;
  std::istream* in = nullptr;
  std::ostream* out = nullptr;
  std::ostream* err = nullptr;
};

// Exit codes of every command.
enum ShadowExit {
  kExitSuccess = 0,
  kExitProviderFailure = 1,  // a provider call failed, or the provider could not be made
  kExitBadInput = 2,         // bad command line, script, LUN argument or file
};
