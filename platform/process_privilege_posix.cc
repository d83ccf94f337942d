#include "platform/process_privilege.h"

#include <unistd.h>

namespace platform {

bool IsProcessAdministrator() { return geteuid() == 0; }

}  // namespace platform
