// KovaVssInstaller: installs or removes the Kova Storage VSS Hardware
// Provider with the Windows Installer package it carries, or extracts it.
// A Windows program without a window; its exit code is the result code.
#include "installer/installer_facilities.h"
#include "installer/kova_vss_installer.h"
#include "platform/argument_text.h"
#include "platform/com_thread_scope.h"

int main() {
  const platform::ComThreadScope com;
  KovaVssInstaller installer(SystemInstallerFacilities());
  return installer.Run(platform::ProgramArgumentText());
}
