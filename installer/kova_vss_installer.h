// KovaVssInstaller: the bootstrapper that carries the product's Windows
// Installer package and hands it to msiexec.exe to install or remove the
// product, or only extracts it. One object serves one run.
#pragma once

#include <cstdint>
#include <string>

#include "installer/installer_facilities.h"
#include "installer/installer_options.h"

class KovaVssInstaller {
 public:
  explicit KovaVssInstaller(const InstallerFacilities& system);

  // One run on the program's argument text; the result is the exit code
  // (installer_result.h), after ShowResultMessage.
  int Run(const std::string& argument_text);

  // Removes the installed product with the uninstall command, when the
  // Windows Installer counts it installed; 0 when it is not.
  int RemoveExistingProduct();
  // Checks the Windows version, writes the package into the temporary (or
  // current) folder, installs it and deletes the package file again.
  int InstallProduct();
  // Writes the resource "PART"/|resource_name| to |path|, replacing a file
  // there; a file written short or not at all is deleted again.
  int ExtractPart(const std::string& resource_name, const std::string& path);
  // False, with |exit_code| 0, when the command could not be started.
  bool RunAndWait(const std::string& command_line, uint32_t* exit_code);
  // Deletes a package file (nothing for an empty path, a missing path or a
  // folder); one that cannot be deleted now is deleted at the next restart.
  void DeletePackageFile(const std::string& path);
  // Reports a non-zero result unless silent and gives the exit code:
  // cancelled (33) and restart needed (34) become 0 when not silent.
  int ShowResultMessage(int result);

  const InstallerOptions& options() const { return options_; }

 private:
  int InstallOrRemove();
  int CheckWindowsVersion();
  int ChoosePackagePath(std::string* path);
  bool UsableFolder(bool (platform::PackageFiles::*read)(std::string*), std::string* folder);
  int WritePackage(const platform::ResourceBytes& bytes, const std::string& path);
  std::string PackageResourceName();
  std::string LoadText(unsigned id);
  platform::MessageAnswer Show(platform::MessageKind kind, unsigned text_id);

  InstallerFacilities system_;
  InstallerOptions options_;
  std::string caption_;
};
