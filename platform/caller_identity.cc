#include "platform/caller_identity.h"

namespace platform {
namespace {

struct ThreadCaller {
  bool set = false;
  uint32_t user_id = 0;
};

thread_local ThreadCaller current_caller;

}  // namespace

ScopedCallerIdentity::ScopedCallerIdentity(uint32_t user_id)
    : had_previous_(current_caller.set), previous_(current_caller.user_id) {
  current_caller.set = true;
  current_caller.user_id = user_id;
}

ScopedCallerIdentity::~ScopedCallerIdentity() {
  current_caller.set = had_previous_;
  current_caller.user_id = previous_;
}

bool ScopedCallerUserId(uint32_t* user_id) {
  if (!current_caller.set) return false;
  if (user_id != nullptr) *user_id = current_caller.user_id;
  return true;
}

}  // namespace platform
