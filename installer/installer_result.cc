#include "installer/installer_result.h"

int MapWindowsInstallerExit(bool ran, uint32_t exit_code) {
  if (!ran) return kResultInstallerFailed;
  switch (exit_code) {
    case kMsiSuccess:
    case kMsiRestartInitiated:
      return kResultDone;
    case kMsiUserExit:
      return kResultInstallerCancelled;
    case kMsiRestartRequired:
      return kResultRestartNeeded;
    default:
      return kResultInstallerFailed;
  }
}
