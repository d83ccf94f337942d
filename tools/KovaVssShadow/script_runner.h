// Runs parsed script lines (script_parser.h) on one provider object, one
// provider call per line, printing "<Method> -> 0x%08X" and the call's out
// values for each.
#pragma once

#include <ostream>
#include <vector>

#include "tools/KovaVssShadow/lun_arguments.h"
#include "tools/KovaVssShadow/provider_session.h"
#include "tools/KovaVssShadow/script_call.h"

// kExitSuccess once every line ran, whatever the HRESULTs. kExitBadInput
// when a line's LUN arguments cannot be read or its save= file cannot be
// written: "line N: reason" goes to |err| and the later lines do not run.
int RunScriptCalls(const std::vector<ScriptCall>& calls, ProviderSession& provider,
                   const LunDeviceReader& reader, std::ostream& out, std::ostream& err);
