// KovaVssShadow as the VSS coordinator's stand-in on a Windows machine that
// has no VSS (Wine): registered in a test machine as the local server of
// the coordinator's class (CLSID_VSSCoordinator) and started by COM with
// "-Embedding", it hands out IVssAdmin objects that record providers in the
// registry as VSS keeps them (platform/vss_provider_store.h). It ends when
// the last object and server lock are gone, and after an idle limit when
// nobody asked for one.
#pragma once

#include <chrono>
#include <ostream>
#include <string>
#include <vector>

#include "platform/com_runtime.h"
#include "platform/message_loop.h"

inline constexpr std::chrono::milliseconds kStandInIdleLimit{60000};

// Whether the arguments (without the program name) are COM's activation of
// a local server: the one word "-Embedding" or "/Embedding", in any case.
bool IsComActivation(const std::vector<std::string>& args);

// Serves the class until the end above and returns the exit code (0, or 1
// when COM or the class object fails, with the reason on |err|).
int ServeVssCoordinatorStandIn(platform::ComRuntime& com, platform::MessageLoop& loop, std::ostream& err,
                               std::chrono::milliseconds idle_limit = kStandInIdleLimit);
