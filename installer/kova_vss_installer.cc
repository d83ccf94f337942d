#include "installer/kova_vss_installer.h"

#include "installer/installer_result.h"
#include "installer/installer_texts.h"
#include "installer/windows_version_check.h"

using platform::MessageAnswer;
using platform::MessageKind;

KovaVssInstaller::KovaVssInstaller(const InstallerFacilities& system) : system_(system) {}

int KovaVssInstaller::Run(const std::string& argument_text) {
  options_ = ParseInstallerSwitches(argument_text);
  caption_ = LoadText(kStringInstallerCaption);
  if (options_.help) {
    system_.boxes.Show(MessageKind::kInformation, InstallerHelpText(), caption_);
    return kResultDone;
  }
  // An extraction that fails says so in the exit code, like every other
  // failure, so that a script does not go on without the package.
  const int result = options_.extract_only
                         ? ExtractPart(PackageResourceName(), kExtractedPackageFileName)
                         : InstallOrRemove();
  return result == kResultDone ? kResultDone : ShowResultMessage(result);
}

int KovaVssInstaller::InstallOrRemove() {
  const bool uninstall = options_.mode == InstallerMode::kUninstall;
  if (uninstall) caption_ = LoadText(kStringUninstallerCaption);
  if (options_.remove_existing || uninstall) {
    const int removed = RemoveExistingProduct();
    if (removed != kResultDone) return removed;
  }
  return uninstall ? kResultDone : InstallProduct();
}

int KovaVssInstaller::RemoveExistingProduct() {
  if (system_.products.QueryState(kProductCode) != platform::kProductStateInstalled) {
    return kResultDone;
  }
  uint32_t exit_code = 0;
  const bool ran = RunAndWait(UninstallCommand(options_.silent), &exit_code);
  return MapWindowsInstallerExit(ran, exit_code);
}

int KovaVssInstaller::InstallProduct() {
  int result = CheckWindowsVersion();
  if (result != kResultDone) return result;
  std::string path;
  result = ChoosePackagePath(&path);
  if (result != kResultDone) return result;
  result = ExtractPart(PackageResourceName(), path);
  if (result != kResultDone) return result;
  if (!system_.files.IsFile(path)) return kResultNoPackageFolder;
  uint32_t exit_code = 0;
  const bool ran = RunAndWait(InstallCommand(options_.silent, path), &exit_code);
  DeletePackageFile(path);
  return MapWindowsInstallerExit(ran, exit_code);
}

int KovaVssInstaller::CheckWindowsVersion() {
  switch (JudgeWindowsVersion(system_.version.Read())) {
    case WindowsVerdict::kSupported:
      return kResultDone;
    case WindowsVerdict::kAskServer2003:
      // Asked in silent mode too: only a person can accept the risk.
      return Show(MessageKind::kQuestion, kStringServer2003Question) == MessageAnswer::kYes
                 ? kResultDone
                 : kResultServer2003Declined;
    case WindowsVerdict::kUnsupported:
      break;
  }
  return kResultWindowsUnsupported;
}

int KovaVssInstaller::ChoosePackagePath(std::string* path) {
  std::string folder;
  if (!UsableFolder(&platform::PackageFiles::TempFolder, &folder) &&
      !UsableFolder(&platform::PackageFiles::CurrentFolder, &folder)) {
    return kResultNoPackageFolder;
  }
  return system_.files.JoinPath(folder, kTempPackageFileName, path) ? kResultDone
                                                                    : kResultNoPackageFolder;
}

bool KovaVssInstaller::UsableFolder(bool (platform::PackageFiles::*read)(std::string*),
                                    std::string* folder) {
  return (system_.files.*read)(folder) && system_.files.IsDirectory(*folder);
}

int KovaVssInstaller::ExtractPart(const std::string& resource_name, const std::string& path) {
  if (resource_name.empty() || path.empty()) return kResultBadExtractArguments;
  platform::ResourceBytes bytes;
  if (!system_.resources.Find(kPackageResourceType, resource_name, &bytes) || bytes.size == 0) {
    return kResultPackageUnavailable;
  }
  system_.files.SetArchiveOnly(path);
  const int result = WritePackage(bytes, path);
  // A partial package must not be mistaken for the product's.
  if (result == kResultPackageUnavailable || result == kResultPackageFileShort) {
    DeletePackageFile(path);
  }
  return result;
}

int KovaVssInstaller::WritePackage(const platform::ResourceBytes& bytes, const std::string& path) {
  std::unique_ptr<platform::WritableFile> file = system_.files.CreateReplacing(path);
  if (!file) return kResultPackageFileNotCreated;
  size_t written = 0;
  if (!file->Write(bytes.data, bytes.size, &written)) return kResultPackageUnavailable;
  return written < bytes.size ? kResultPackageFileShort : kResultDone;
}

bool KovaVssInstaller::RunAndWait(const std::string& command_line, uint32_t* exit_code) {
  *exit_code = 0;
  if (system_.launcher.RunAndWait(command_line, exit_code)) return true;
  *exit_code = 0;
  return false;
}

void KovaVssInstaller::DeletePackageFile(const std::string& path) {
  if (path.empty() || !system_.files.IsFile(path)) return;
  system_.files.SetArchiveOnly(path);
  if (system_.files.Delete(path) == platform::DeleteOutcome::kFailed) {
    system_.files.DeleteAtRestart(path);
  }
}

int KovaVssInstaller::ShowResultMessage(int result) {
  if (options_.silent) return result;
  switch (result) {
    case kResultWindowsUnsupported:
      Show(MessageKind::kError, kStringUnsupportedWindows);
      return result;
    case kResultServer2003Declined:
      return result;
    case kResultInstallerCancelled:
    case kResultRestartNeeded:
      return kResultDone;
    default:
      Show(MessageKind::kError, options_.mode == InstallerMode::kInstall ? kStringInstallFailed
                                                                         : kStringUninstallFailed);
      return result;
  }
}

std::string KovaVssInstaller::PackageResourceName() {
  return system_.wow64.ProcessRunsUnderWow64() ? kPackageResource64 : kPackageResource32;
}

std::string KovaVssInstaller::LoadText(unsigned id) {
  std::string text;
  return system_.strings.Load(id, &text) ? text : kFallbackMessageText;
}

MessageAnswer KovaVssInstaller::Show(MessageKind kind, unsigned text_id) {
  return system_.boxes.Show(kind, LoadText(text_id), caption_);
}
