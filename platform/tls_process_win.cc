#include "platform/tls_process.h"

namespace platform {

void PrepareProcessForTls() {}

}  // namespace platform
