#include "platform/management_query.h"

#include <atomic>

namespace platform {
namespace {

std::atomic<Management*>& Installed() {
  static std::atomic<Management*> installed{nullptr};
  return installed;
}

}  // namespace

Management& CurrentManagement() {
  Management* installed = Installed().load();
  return installed ? *installed : SystemManagement();
}

void SetManagement(Management* management) { Installed().store(management); }

}  // namespace platform
