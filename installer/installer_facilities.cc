#include "installer/installer_facilities.h"

InstallerFacilities SystemInstallerFacilities() {
  return InstallerFacilities{platform::SystemWindowsVersion(),   platform::SystemWow64State(),
                             platform::SystemEmbeddedResources(), platform::SystemStringResources(),
                             platform::SystemMessageBoxes(),      platform::SystemPackageFiles(),
                             platform::SystemProcessLauncher(),   platform::SystemInstalledProducts()};
}
